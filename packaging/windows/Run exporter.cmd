@echo off
rem Starts the exporter in its own folder, where the report is written. When
rem a run ends on a problem (exit code 1) the window stays open until a key
rem is pressed, so that the message can be read.
setlocal
rem pushd, unlike cd, also enters a folder on a network path.
pushd "%~dp0"
"%~dp0shgs-exporter.exe"
set status=%ERRORLEVEL%
if %status% EQU 1 (
  echo.
  pause
)
popd
exit /b %status%
