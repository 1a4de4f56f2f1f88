@echo off
rem Turns offsets of a crash into functions and source lines, from the
rem plug-in's .pdb (STANDIN.md, "symbolize"):
rem   symbolize PLUGIN.asi OFFSET... [--symbols DIR]
rem A plug-in built with MinGW-w64 gets its offsets only here: its symbols
rem are read by the kit's bash symbolize on Linux.
"%~dp0standin-not-for-the-game-folder\standin.exe" --symbolize %*
exit /b %errorlevel%
