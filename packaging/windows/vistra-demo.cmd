@echo off
rem Starts Vistra with the demo provider, for trying it without a provider of
rem one's own: the stand-in server on 127.0.0.1 plays an IPTV provider, its
rem panel and the public services, with the media installed beside it in
rem demo-media. The server stops when Vistra ends.
rem
rem The demo keeps a data folder of its own (%LOCALAPPDATA%\vistra-demo\Vistra43),
rem so the user's own settings, playlist and catalog are never read or written.
setlocal EnableExtensions
set "here=%~dp0"
set "answer=%TEMP%\vistra-demo-%RANDOM%%RANDOM%.txt"

rem A fixed port keeps the demo playlist, and so the catalog cache, the same
rem from one start to the next; another free port is taken when it is busy.
set "port=43043"
if defined VISTRA_DEMO_PORT set "port=%VISTRA_DEMO_PORT%"
call :start_standin %port%
if not defined base call :start_standin 0
if not defined base (
  echo vistra-demo: the demo provider did not start 1>&2
  del "%answer%" 2>nul
  exit /b 1
)
echo vistra-demo: demo provider at %base%

set "VISTRA_PANEL_URL=%base%"
set "VISTRA_TMDB_API_URL=%base%"
set "VISTRA_TMDB_IMAGE_URL=%base%"
set "VISTRA_WATCH_URL=%base%"
set "VISTRA_SPORTS_URL=%base%"
set "VISTRA_TRACE_URL=%base%/cdn-cgi/trace"
set "VISTRA_SPEEDTEST_URL=%base%"
set "LOCALAPPDATA=%LOCALAPPDATA%\vistra-demo"
if not exist "%LOCALAPPDATA%" mkdir "%LOCALAPPDATA%"

start "" /wait "%here%vistra.exe"
set "status=%ERRORLEVEL%"
taskkill /f /im vistra_standin.exe >nul 2>&1
del "%answer%" 2>nul
exit /b %status%

rem The server writes its address to the ready file once it listens (cmd
rem cannot read a file the server still writes to); it ends at once when the
rem port is taken. Sets base, or leaves it unset after about 8 s.
:start_standin
set "base="
del "%answer%" 2>nul
start "" /b "%here%vistra_standin.exe" %1 --media "%here%demo-media" --ready-file "%answer%" >nul
for /l %%i in (1,1,8) do (
  if exist "%answer%" for /f "usebackq delims=" %%l in ("%answer%") do if not defined base set "base=%%l"
  if defined base goto :eof
  call :pause
)
goto :eof

rem About a second: cmd has no sleep, and timeout.exe refuses redirected input.
:pause
ping -n 2 127.0.0.1 >nul 2>&1
goto :eof
