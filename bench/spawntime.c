/* Times two commands over many runs, alternating them so that both see the same
 * machine, and prints each one's median wall time and the ratio of the medians.
 * Usage: spawntime RUNS -- COMMAND_A... -- COMMAND_B...  (standard output goes to /dev/null) */
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char** environ;

static double runOnce(char** argv, posix_spawn_file_actions_t* actions) {
    struct timespec start, end;
    pid_t pid;
    int status;
    clock_gettime(CLOCK_MONOTONIC, &start);
    if (posix_spawn(&pid, argv[0], actions, NULL, argv, environ) != 0) {
        perror("posix_spawn");
        exit(2);
    }
    waitpid(pid, &status, 0);
    clock_gettime(CLOCK_MONOTONIC, &end);
    return (double)(end.tv_sec - start.tv_sec) * 1e3 + (double)(end.tv_nsec - start.tv_nsec) / 1e6;
}

static int byValue(const void* a, const void* b) {
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

int main(int argc, char** argv) {
    if (argc < 5 || strcmp(argv[2], "--") != 0) {
        fprintf(stderr, "usage: spawntime RUNS -- A... -- B...\n");
        return 2;
    }
    const int runs = atoi(argv[1]);
    char** a = argv + 3;
    char** b = NULL;
    for (int k = 3; k < argc; ++k) {
        if (strcmp(argv[k], "--") == 0) {
            argv[k] = NULL;
            b = argv + k + 1;
        }
    }
    if (runs < 1 || b == NULL || b[0] == NULL) {
        fprintf(stderr, "usage: spawntime RUNS -- A... -- B...\n");
        return 2;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    double* timesA = malloc(sizeof(double) * (size_t)runs);
    double* timesB = malloc(sizeof(double) * (size_t)runs);
    for (int k = 0; k < 20; ++k) { /* warm the page cache for both */
        runOnce(a, &actions);
        runOnce(b, &actions);
    }
    for (int k = 0; k < runs; ++k) {
        timesA[k] = runOnce(a, &actions);
        timesB[k] = runOnce(b, &actions);
    }
    qsort(timesA, (size_t)runs, sizeof(double), byValue);
    qsort(timesB, (size_t)runs, sizeof(double), byValue);
    const double medianA = timesA[runs / 2], medianB = timesB[runs / 2];
    printf("median %.3f ms  %s\nmedian %.3f ms  %s\nratio  %.3f\n", medianA, a[0], medianB, b[0], medianB / medianA);
    free(timesA);
    free(timesB);
    return 0;
}
