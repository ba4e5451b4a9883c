#include "components/media/web/browser_storage.h"

#include <emscripten.h>

std::error_code PersistBrowserFiles() {
  // The page's shell owns the mount; a page without it keeps nothing.
  if (!EM_ASM_INT({ return Module.storeScores ? Module.storeScores() : 0; })) return {};
  // IndexedDB answers later: the game waits here, the page goes on
  // painting. A browser that never answers must not hold the save forever.
  for (int waited = 0; waited < 10000; waited += 5) {
    const int state = EM_ASM_INT({ return Module.storeState; });
    if (state > 0) return {};
    if (state < 0) return std::make_error_code(std::errc::io_error);
    emscripten_sleep(5);
  }
  return std::make_error_code(std::errc::timed_out);
}
