// Decides whether the package places its empty cursor %SYSTEMROOT%\Cursors\null.cur: only
// where none is there yet, or where the one there was placed by this package (an earlier
// version being upgraded, whose marker AppSearch found in NULLCURSOROURS). The cursor's
// feature has level 2, so raising INSTALLLEVEL to 2 installs it.
function FindNullCursor() {
  var files = new ActiveXObject("Scripting.FileSystemObject");
  var found = files.FileExists(Session.Property("WindowsFolder") + "Cursors\\null.cur");
  if (found) Session.Property("NULLCURSORFOUND") = "1";
  if (!found || Session.Property("NULLCURSOROURS") != "") Session.Property("INSTALLLEVEL") = "2";
  return 1;
}
