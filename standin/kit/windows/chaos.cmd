@echo off
rem Plays sessions made at random from a base scenario and shrinks each
rem finding into a scenario (STANDIN.md, "Chaos runs"):
rem   set PLUGIN=MyPlugin.asi
rem   chaos BASE.scn [--seconds S or --runs N] [--seed N] [--out DIR] [-j N] [--fresh]
if not defined PLUGIN (
  echo chaos: set PLUGIN to the plug-in to play: set PLUGIN=MyPlugin.asi 1>&2
  exit /b 2
)
"%~dp0standin-not-for-the-game-folder\standin.exe" --chaos %* "%PLUGIN%"
exit /b %errorlevel%
