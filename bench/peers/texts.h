/* What every program of the comparison prints, and what it does with the
   values it read: like vantrel off Windows, it cannot size the console. */

#ifndef VANTREL_BENCH_TEXTS_H
#define VANTREL_BENCH_TEXTS_H

#include <stdio.h>

#include "program_help.h"

static const char vantrel_version[] = "0.2.3-beta";

/* The seven values a run reads, with the program's defaults. */
struct run_values {
  int admin;
  int left;
  int top;
  int right;
  int bottom;
  int bufferx;
  int buffery;
};

static const struct run_values default_run_values = {0, 0, 0, 40, 40, 1024, 720};

/* Keeps the values alive, so that no compiler drops the reading of them. */
static volatile int run_values_seen;

static int fail_to_size_console(const struct run_values* values) {
  run_values_seen = values->admin + values->left + values->top + values->right + values->bottom +
                    values->bufferx + values->buffery;
  printf("resize failed");
  return -1;
}

#endif
