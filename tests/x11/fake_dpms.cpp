// Preloaded into the saver (LD_PRELOAD) on a server without DPMS: answers as a server whose
// monitors are powered as the file named by FAKE_DPMS_FILE says ("off", or anything else: on).
#include <X11/Xlib.h>
#include <X11/extensions/dpms.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {

Bool DPMSQueryExtension(Display*, int* eventBase, int* errorBase) {
  *eventBase = 0;
  *errorBase = 0;
  return True;
}

Bool DPMSCapable(Display*) {
  return True;
}

Status DPMSInfo(Display*, CARD16* level, BOOL* enabled) {
  char state[8] = "";
  const char* path = std::getenv("FAKE_DPMS_FILE");
  if (std::FILE* file = path != nullptr ? std::fopen(path, "r") : nullptr) {
    if (std::fgets(state, sizeof state, file) == nullptr) state[0] = '\0';
    std::fclose(file);
  }
  *level = std::strncmp(state, "off", 3) == 0 ? DPMSModeOff : DPMSModeOn;
  *enabled = True;
  return 1;
}

}  // extern "C"
