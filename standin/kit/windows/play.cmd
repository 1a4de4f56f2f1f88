@echo off
rem Plays scenarios with a plug-in in the kit's stand-in (STANDIN.md, "play"):
rem   set PLUGIN=MyPlugin.asi
rem   play [--trace-only] SCENARIO [TRACE]
rem   play [-j N] [--junit FILE] [--traces DIR] SCENARIO-or-FOLDER...
rem One scenario: what the stand-in says, the trace in short, a crash's places
rem named from the plug-in's .pdb; the trace in play-trace.txt. Several, or a
rem folder: a suite, its traces in play-traces\.
"%~dp0standin-not-for-the-game-folder\standin.exe" --play %*
exit /b %errorlevel%
