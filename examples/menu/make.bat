@echo off
rem Assembles the menu program, with the game table Gamedef.inc, the reserve Reserve.inc and
rem the title glyphs Glyphs.inc that Romvane wrote, into menu.bin. Written under another
rem name first, so the builder never reads half a file.
cd /d "%~dp0"
set RESERVE=
for /f "tokens=3" %%r in ('findstr /b /c:"MENU_RESERVE" Reserve.inc') do set RESERVE=%%r
if "%RESERVE%"=="" (
    echo Reserve.inc names no MENU_RESERVE 1>&2
    exit /b 1
)
set /a RESERVE=0x%RESERVE:$=%
rem The chip starts the menu from the last 16 KB of the reserve.
if %RESERVE% LSS 16384 goto range
if %RESERVE% GTR 524288 goto range
rem The title glyphs' tile groups take the bottom of the reserve; the CPU reads the rest.
set TILES=
for /f "tokens=3" %%t in ('findstr /b /c:"MENU_TILE_BYTES" Glyphs.inc') do set TILES=%%t
if "%TILES%"=="" (
    echo Glyphs.inc names no MENU_TILE_BYTES 1>&2
    exit /b 1
)
set /a CPU=%RESERVE% - 0x%TILES:$=%
if %CPU% GTR 32768 set CPU=32768
ca65 -o menu.o menu.s || exit /b 1
rem ld65's own last line says only that files were not written; the line before names the
rem segment that overflowed and by how much.
ld65 -C menu.cfg -D MENU_RESERVE=%RESERVE% -D MENU_CPU_SIZE=%CPU% -o menu.tmp menu.o 2> ld65.err
if errorlevel 1 (
    findstr /v /c:"Cannot generate" ld65.err 1>&2
    del ld65.err
    exit /b 1
)
type ld65.err 1>&2
del ld65.err
move /y menu.tmp menu.bin >nul
exit /b 0
:range
echo the menu needs a reserve of 4000 to 80000 (hexadecimal) 1>&2
exit /b 1
