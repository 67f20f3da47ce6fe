// Shell state of the plug-in (filled in with the entry point).
int vt_shell_placeholder = 0;
