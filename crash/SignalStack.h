#pragma once
#include <signal.h>

#include <cstddef>

// Alternate signal stacks, on which the crash handler runs when a thread's
// own stack is used up. A new thread never inherits one, so every thread the
// process starts, through whatever library (thread pools, std::thread,
// std::async), gets its own here: this library wraps pthread_create for the
// whole process, and a thread's stack is freed when the thread ends.
namespace crash::signalstack {

// What give() found and what it put in place.
struct Given {
  stack_t previous{};
  void* ours = nullptr;  // none when the thread had one big enough, or none could be made
  size_t size = 0;
};

// Gives the calling thread a stack of its own unless it has one big enough.
Given give();
// Puts back what give() found and frees the stack it made, if that is still in place.
void takeBack(const Given& given);
// True when the calling thread has an alternate signal stack.
bool present();

}  // namespace crash::signalstack
