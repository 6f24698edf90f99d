#pragma once
// The console of the process that started the program, for the console commands.

// Attaches to the parent's console and makes standard output write to it, unbuffered and in
// text mode. A program started without a console keeps whatever standard output it was given
// (a pipe or a file when a script started it); one with neither appends its output to Main.Log beside
// the program, after a time-stamped line naming the command. Always true.
bool AttachParentConsole();
