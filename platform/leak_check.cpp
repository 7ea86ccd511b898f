#include "platform/leak_check.h"

#ifdef DRIFTWING_SANITIZE
#include <dlfcn.h>
#include <link.h>
#endif

namespace platform {

void KeepLoadedLibrariesForLeakCheck() {
#ifdef DRIFTWING_SANITIZE
  dl_iterate_phdr(
      [](dl_phdr_info* info, size_t, void*) {
        if (info->dlpi_name && info->dlpi_name[0]) {
          // Another reference that is never dropped, marked never to unload.
          dlopen(info->dlpi_name, RTLD_LAZY | RTLD_NOLOAD | RTLD_NODELETE);
        }
        return 0;
      },
      nullptr);
#endif
}

}  // namespace platform
