// The few thread functions the MinGW build's runtime calls, on Win32 alone. The compiler's
// library asks for them in three places: the emergency store for exceptions (a lock), the
// storage of thread_local variables (a once, a lock and a key per thread) and
// std::this_thread::yield. With them the linker takes the whole POSIX thread library, its
// threads, conditions and read-write locks included: some 26 KB of a program file that must stay
// under 576 KB. The program makes its threads with CreateThread and locks with Win32 itself.
//
// Only the functions the program needs are here, with the library's own types and meanings. One
// more (a condition, a thread of the library's own) brings the library's own file, and the
// linker names a function defined twice: add it here then, or do without it.
#include <windows.h>

#include <cerrno>
#include <cstdint>

namespace {

// A lock is a word: 0 free (or -1, the library's value for one not yet set up), 1 held. Every
// lock, unlock and once goes through this one gate; the runtime takes them rarely (the
// first use of each thread_local, an exception thrown with no memory left): one gate is plenty.
SRWLOCK gate = SRWLOCK_INIT;
CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;

using Destructor = void (*)(void*);

// A key's destructor runs when a thread ends with a value in it, as Windows runs a fiber-local
// slot's callback; the callback takes only the value, hence one runner per destructor.
constexpr int kDestructors = 4;
Destructor destructors[kDestructors] = {};

template <int Slot>
void WINAPI RunDestructor(void* value) {
  if (value != nullptr) destructors[Slot](value);
}

constexpr PFLS_CALLBACK_FUNCTION kRunners[kDestructors] = {RunDestructor<0>, RunDestructor<1>,
                                                           RunDestructor<2>, RunDestructor<3>};

}  // namespace

extern "C" {

int pthread_mutex_init(intptr_t* mutex, const unsigned*) {
  *mutex = 0;
  return 0;
}

int pthread_mutex_destroy(intptr_t*) { return 0; }

int pthread_mutex_lock(intptr_t* mutex) {
  AcquireSRWLockExclusive(&gate);
  while (*mutex == 1) SleepConditionVariableSRW(&changed, &gate, INFINITE, 0);
  *mutex = 1;
  ReleaseSRWLockExclusive(&gate);
  return 0;
}

int pthread_mutex_unlock(intptr_t* mutex) {
  AcquireSRWLockExclusive(&gate);
  *mutex = 0;
  ReleaseSRWLockExclusive(&gate);
  WakeAllConditionVariable(&changed);
  return 0;
}

// 0 not run, 1 running, 2 done; a second caller waits for the first to finish.
int pthread_once(long* once, void (*function)()) {
  AcquireSRWLockExclusive(&gate);
  while (*once == 1) SleepConditionVariableSRW(&changed, &gate, INFINITE, 0);
  const bool mine = *once == 0;
  if (mine) *once = 1;
  ReleaseSRWLockExclusive(&gate);
  if (!mine) return 0;
  function();
  AcquireSRWLockExclusive(&gate);
  *once = 2;
  ReleaseSRWLockExclusive(&gate);
  WakeAllConditionVariable(&changed);
  return 0;
}

int pthread_key_create(unsigned* key, Destructor destructor) {
  PFLS_CALLBACK_FUNCTION runner = nullptr;
  if (destructor != nullptr) {
    AcquireSRWLockExclusive(&gate);
    for (int slot = 0; slot < kDestructors && runner == nullptr; ++slot) {
      if (destructors[slot] != nullptr) continue;
      destructors[slot] = destructor;
      runner = kRunners[slot];
    }
    ReleaseSRWLockExclusive(&gate);
    if (runner == nullptr) return EAGAIN;
  }
  const DWORD index = FlsAlloc(runner);
  // Keys are never deleted: a runner taken for a key that failed stays taken.
  if (index == FLS_OUT_OF_INDEXES) return EAGAIN;
  *key = index;
  return 0;
}

// A thread_local read between a Win32 call and its GetLastError must not change the error.
void* pthread_getspecific(unsigned key) {
  const DWORD error = GetLastError();
  void* value = FlsGetValue(key);
  SetLastError(error);
  return value;
}

int pthread_setspecific(unsigned key, const void* value) {
  const DWORD error = GetLastError();
  const bool set = FlsSetValue(key, const_cast<void*>(value));
  SetLastError(error);
  return set ? 0 : ENOMEM;
}

int sched_yield() {
  Sleep(0);
  return 0;
}

}  // extern "C"
