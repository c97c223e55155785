// Starts the peers of kvarsel_bench's comparison mode and reports on each. It is
// a small process of its own because a child's peak memory (ru_maxrss) counts
// the memory of the process that spawned it: spawned from the benchmark, which
// holds a generated workload, every peer would seem as large as the benchmark.
//
// Reads one request per line on standard input: the working directory, the
// program and its arguments, separated by tabs. Answers each with a line:
// wall seconds, CPU seconds, peak resident KiB and 1 when the exit was 0.

#include <cstdio>
#include <fcntl.h>
#include <iostream>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <vector>

extern char** environ;

int main()
{
    std::string line;
    while (std::getline(std::cin, line)) {
        std::vector<std::string> fields;
        size_t start = 0;
        for (size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
            fields.push_back(line.substr(start, tab - start));
        fields.push_back(line.substr(start));
        if (fields.size() < 2) {
            std::printf("0 0 0 0\n");
            std::fflush(stdout);
            continue;
        }
        std::vector<char*> argv;
        for (size_t i = 1; i < fields.size(); ++i)
            argv.push_back(fields[i].data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addchdir_np(&actions, fields[0].c_str());
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        timespec t0{}, t1{};
        clock_gettime(CLOCK_MONOTONIC, &t0);
        pid_t pid = -1;
        double wall = 0, cpu = 0;
        long peak = 0;
        int ok = 0;
        if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0) {
            int status = 0;
            rusage usage{};
            wait4(pid, &status, 0, &usage);
            clock_gettime(CLOCK_MONOTONIC, &t1);
            wall = double(t1.tv_sec - t0.tv_sec) + double(t1.tv_nsec - t0.tv_nsec) / 1e9;
            cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                  double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            peak = usage.ru_maxrss;
            ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        }
        posix_spawn_file_actions_destroy(&actions);
        std::printf("%.6f %.6f %ld %d\n", wall, cpu, peak, ok);
        std::fflush(stdout);
    }
    return 0;
}
