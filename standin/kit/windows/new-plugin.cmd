@echo off
rem Writes a new script plug-in's project, ready to build and test:
rem   new-plugin NAME [DIR]
rem into DIR (by default .\NAME); see the README, "A new plug-in".
"%~dp0standin-not-for-the-game-folder\standin.exe" --new-plugin %*
exit /b %errorlevel%
