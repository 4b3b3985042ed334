@echo off
rem Greets every name of data\samples\names.txt with the greeting of data\settings.ini.
setlocal
set here=%~dp0..
set greeting=Hello
for /f "tokens=1,* delims==" %%a in ('findstr /b "Greeting=" "%here%\data\settings.ini"') do set greeting=%%b
for /f "usebackq delims=" %%n in ("%here%\data\samples\names.txt") do echo %greeting%, %%n! (%date%)
endlocal
