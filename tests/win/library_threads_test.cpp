// src/win/system/library_threads.cpp under threads made as the program makes them. Without
// GoogleTest: it needs the POSIX thread library that file replaces.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <new>

extern "C" int pthread_mutex_lock(intptr_t*);
extern "C" int pthread_mutex_unlock(intptr_t*);
extern "C" int pthread_key_create(unsigned*, void (*)(void*));
extern "C" int pthread_setspecific(unsigned, const void*);

namespace {

thread_local int mine = 0;  // each thread's first use goes through the once, the lock and the key
intptr_t lock = -1;         // the library's value for a lock not yet set up
long counted = 0;           // kept whole only by the lock
unsigned key = 0;
long ended = 0;
int (*volatile readMine)() = [] { return mine; };  // a call of its own: a fresh look-up of `mine`

DWORD WINAPI Work(void* lastError) {
  pthread_setspecific(key, &ended);
  for (int i = 0; i < 20000; ++i) {
    try {
      throw std::bad_alloc();  // the exception's memory and the thread's exception state
    } catch (const std::bad_alloc&) {
      ++mine;
    }
    pthread_mutex_lock(&lock);
    counted = counted + 1;
    pthread_mutex_unlock(&lock);
  }
  SetLastError(ERROR_FILE_EXISTS);
  *static_cast<DWORD*>(lastError) = readMine() == 20000 ? GetLastError() : 0;  // the read keeps it
  return 0;
}

}  // namespace

int main() {
  pthread_key_create(&key, [](void* value) { InterlockedIncrement(static_cast<long*>(value)); });
  constexpr int kThreads = 8;
  HANDLE threads[kThreads];
  DWORD errors[kThreads] = {};
  for (int i = 0; i < kThreads; ++i)
    threads[i] = CreateThread(nullptr, 0, Work, &errors[i], 0, nullptr);
  WaitForMultipleObjects(kThreads, threads, TRUE, INFINITE);
  int failed = ended == kThreads && counted == kThreads * 20000 ? 0 : 1;
  for (DWORD error : errors) failed += error == ERROR_FILE_EXISTS ? 0 : 1;
  std::printf("ended %ld, counted %ld, %d failed\n", ended, counted, failed);
  return failed;
}
