/* The baseline of the start-up benchmark: the least a program can do with the
   card library, namely load it from its own folder and open and close the
   reader. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

int main(void) {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 32);
  if (n <= 0) return 1;
  path[n] = '\0';
  char* slash = strrchr(path, '/');
  strcpy(slash ? slash + 1 : path, "libcshis.so");
  void* lib = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (!lib) return 1;
  int (*open_com)(int) = (int (*)(int))dlsym(lib, "csOpenCom");
  int (*close_com)(void) = (int (*)(void))dlsym(lib, "csCloseCom");
  if (!open_com || !close_com) return 1;
  open_com(0);
  close_com();
  dlclose(lib);
  return 0;
}
