/* The least a program can do to set windows.Device durably, with the same
 * steps as the profile store and nothing else. Under an exclusive flock on
 * <profile>.lock it reads the profile, writes it with the value of the first
 * "Device=" line replaced to a temporary beside it, gives that the old mode,
 * fsyncs it, renames it over the profile and fsyncs the folder. No parsing
 * beyond that one search. Returns 0, or 1 after printing what failed; a
 * failure leaves what it held open to the end of the process. */
#ifndef PELLOMAR_BENCH_FLOOR_REPLACE_H
#define PELLOMAR_BENCH_FLOOR_REPLACE_H

#ifdef __cplusplus
extern "C" {
#endif

int floor_replace(const char *profile, const char *value);

#ifdef __cplusplus
}
#endif

#endif
