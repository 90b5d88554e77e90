@echo off
rem Assembles the menu program, with the game table Gamedef.inc that Romvane wrote,
rem into menu.bin. Written under another name first, so the builder never reads half a file.
cd /d "%~dp0"
ca65 -o menu.o menu.s || exit /b 1
ld65 -C menu.cfg -o menu.tmp menu.o || exit /b 1
move /y menu.tmp menu.bin >nul
