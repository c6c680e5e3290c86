/* A plug-in library whose start writes through a null pointer. */
int VeskoLoadFailed(void) { return 0; }

int BKC_OnStart(void) {
  volatile int* nowhere = 0;
  *nowhere = 1;
  return 0;
}
