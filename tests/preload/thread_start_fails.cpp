// Preloaded into a run of the binary: every thread creation fails, as it does
// when the process or its cgroup has reached its thread limit.
#include <pthread.h>

#include <cerrno>

extern "C" int pthread_create(pthread_t*, const pthread_attr_t*, void* (*)(void*), void*) noexcept {
    return EAGAIN;
}
