/* A DLL with nothing in it but, when built with version_dll.rc, a version
   resource: the DirectX check reads such files by name in a test directory. */
int VersionDllPresent(void) { return 1; }
