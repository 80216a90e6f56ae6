#include "swf/runtime/lock_keys.h"

#include <atomic>

namespace velmora::swf {

namespace {

std::atomic<LockKeyReader> reader{nullptr};

}  // namespace

void setLockKeyReader(LockKeyReader r) { reader.store(r); }

bool desktopLockKey(int code, bool& on) {
    const LockKeyReader r = reader.load();
    return r && r(code, on);
}

}  // namespace velmora::swf
