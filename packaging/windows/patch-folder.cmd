@echo off
rem SPDX-License-Identifier: MIT
rem Patches every TrueType font in a folder and its subfolders (.ttf and .ttc)
rem with the tovalin.exe beside this script, in quiet mode, and tells the
rem outcomes apart by exit status. A collection can hold the plain zero more
rem than once and each run replaces one, so a font is run again until it
rem finds nothing, and the line tells how many zeros were replaced. With
rem "undo" it runs tovalin-undo.exe the same way. Exits 1 when any font ended
rem in a failure or the tool is missing, 2 without a folder, 0 otherwise.
rem   usage: patch-folder.cmd FOLDER          patch
rem          patch-folder.cmd FOLDER undo     undo
rem
rem Any name a folder may hold (% ! & ^ ( ) ; ' and spaces) reaches the tool
rem as it is, and is listed as it is: a name is only ever used as a FOR
rem variable, which cmd expands after it has parsed the line, so that none of
rem its characters is taken for syntax; the one variable that holds it is
rem expanded once, inside quotes, into a FOR variable (cmd does not expand a
rem value again). It never goes through CALL's arguments, which expand
rem percent signs a second time, and delayed expansion stays off, which would
rem drop "!". Each font's line is printed by the loop itself, so a font whose
rem run went wrong is still listed.
setlocal EnableExtensions DisableDelayedExpansion
if "%~1"=="" goto usage
set "attributes="
for %%A in ("%~1") do set "attributes=%%~aA"
if not defined attributes goto not_a_folder
if /i not "%attributes:~0,1%"=="d" goto not_a_folder
set "tool=%~dp0tovalin.exe"
set "done_word=patched"
set "unchanged=unchanged, not this font or already patched"
if /i not "%~2"=="undo" goto tool_chosen
set "tool=%~dp0tovalin-undo.exe"
set "done_word=restored"
set "unchanged=unchanged, no slashed zero to undo"
:tool_chosen
if exist "%tool%" goto walk
>&2 echo the tool is not beside this script: %tool%
exit /b 1

:walk
set failed=0
for /r "%~1" %%F in (*.ttf *.ttc) do (
  set "font=%%~fF"
  set "result="
  call :font
  call :say_result
  echo %%~fF
)
exit /b %failed%

:usage
>&2 echo usage: patch-folder.cmd FOLDER [undo]
exit /b 2

:not_a_folder
for %%A in ("%~1") do >&2 echo patch-folder.cmd: not a folder: %%~A
>&2 echo usage: patch-folder.cmd FOLDER [undo]
exit /b 2

rem One font (%font%), run until no zero is left; its result by the exit status.
:font
set zeros=0
set tries=0
:again
rem Quiet mode still waits after a failure: give it no input to wait for.
for %%N in ("%font%") do "%tool%" %%N quiet < NUL > NUL
set status=%errorlevel%
if "%status%"=="0" goto replaced
rem A program that opens each font as soon as it was written (an indexer, a
rem sync client) may still have it when the next run looks for more zeros:
rem three more tries, each of which waits for it about a second.
if not "%status%"=="3" goto ran
if %zeros% equ 0 goto ran
if %tries% geq 3 goto ran
set /a tries+=1
goto again
:replaced
set /a zeros+=1
rem Far more zeros than any real collection holds (one per font in it): a
rem font that still has one after this many replacements is reported, not
rem done. The run after the last replacement, which finds nothing, is the good end.
if %zeros% leq 1000 goto again
set status=bound
:ran
rem After one or more replacements, "nothing more found" is the good end.
if %zeros% gtr 0 if "%status%"=="1" set status=0
set "result=the tool ended unexpectedly (status %status%), check the file"
if "%status%"=="0" set "result=%done_word%"
if "%status%"=="0" if %zeros% gtr 1 set "result=%done_word% (%zeros% zeros)"
if "%status%"=="1" set "result=%unchanged%"
if "%status%"=="3" set "result=cannot be opened, unchanged"
if "%status%"=="4" set "result=input/output failure, check the file"
if "%status%"=="5" set "result=%done_word%, but its times could not be put back"
if "%status%"=="6" set "result=changed by another program during the run, check it"
if %zeros% gtr 0 if "%status%"=="3" set status=busy
if "%status%"=="busy" set "result=%zeros% zeros %done_word%, then it stayed busy: the check for more could not be made"
if "%status%"=="bound" set "result=1000 zeros %done_word% and still one more, check the file"
rem A failure after replacements: those zeros are in the file; say so.
if %zeros% gtr 0 if not "%status%"=="0" if not "%status%"=="bound" if not "%status%"=="busy" set "result=%zeros% zeros %done_word%, then: %result%"
if "%status%"=="0" goto :eof
if "%status%"=="1" goto :eof
set failed=1
goto :eof

rem The start of a font's line, which the loop ends with the font's name.
:say_result
if defined result goto print_result
set "result=the tool could not be run on it, check the file"
set failed=1
:print_result
< NUL set /p "=%result%: "
goto :eof
