@echo off
rem Registers a module folder of this installation and the printer products it supports, so
rem the engine serves it without a new installation:
rem     add_module.cmd MODULE-NAME FOLDER PRODUCT [PRODUCT ...]
rem FOLDER is relative to the installation folder (where this file is) and holds module.xml;
rem each PRODUCT is a model text or product number as the printer reports it.
setlocal
set "KEY=HKLM\SOFTWARE\Orvik\Plotara TroubleShooter"
if "%~3"=="" goto usage
if not exist "%~dp0%~2\module.xml" goto nomodule
set "MODULE=%~1"
reg add "%KEY%\SMM" /v "%~1" /t REG_SZ /d "%~2" /f >nul
if errorlevel 1 goto failed
shift
shift
:product
if "%~1"=="" goto done
reg add "%KEY%\ProdNumbers" /v "%~1" /t REG_SZ /d "%MODULE%" /f >nul
if errorlevel 1 goto failed
shift
goto product
:done
echo add_module: module "%MODULE%" registered.
exit /b 0
:usage
echo usage: add_module.cmd MODULE-NAME FOLDER PRODUCT [PRODUCT ...] 1>&2
exit /b 1
:nomodule
echo add_module: "%~dp0%~2" holds no module.xml; nothing was registered. 1>&2
exit /b 2
:failed
echo add_module: the registry refused an entry; run it as an administrator. 1>&2
exit /b 3
