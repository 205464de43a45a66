#include "lib/objects.h"

namespace plovarn {

ReadAccess::ReadAccess(AccessGuard& guard, const char* type_name) {
    if (guard.writing) {
        PyErr_Format(PyExc_RuntimeError, "%s is being modified and cannot be read now", type_name);
        return;
    }
    ++guard.readers;
    guard_ = &guard;
}

WriteAccess::WriteAccess(AccessGuard& guard, const char* type_name) {
    if (guard.writing || guard.readers > 0) {
        PyErr_Format(PyExc_RuntimeError, "%s is in use and cannot be modified now", type_name);
        return;
    }
    guard.writing = true;
    guard_ = &guard;
}

}  // namespace plovarn
