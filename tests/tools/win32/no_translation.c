/* An empty library that carries only no_translation.rc. */
int VeskoNoTranslationLibrary(void) { return 0; }
