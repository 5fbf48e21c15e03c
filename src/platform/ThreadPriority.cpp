#include "platform/ThreadPriority.h"

#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

void runAtIdlePriority(const char *name)
{
    if (name)
        pthread_setname_np(pthread_self(), name);
    sched_param param{};
    if (pthread_setschedparam(pthread_self(), SCHED_IDLE, &param) == 0)
        return;
    // Linux's nice values belong to threads: this one's only.
    setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), 19);
}
