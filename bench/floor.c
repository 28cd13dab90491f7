/* The floor: the least a process can do to print the program's texts. No
   parsing: the first argument picks the text. */

#include <string.h>

#include "texts.h"

int main(int argc, char** argv) {
  if (argc > 1 && strcmp(argv[1], "--help") == 0) {
    fputs(program_help_listing, stdout);
    return 0;
  }
  if (argc > 1 && strcmp(argv[1], "-v") == 0) {
    puts(vantrel_version);
    return 0;
  }
  /* Such as --left=5, which the program reports as naming no option. */
  if (argc > 1 && strchr(argv[1], '=') != NULL) {
    fprintf(stderr, "(parse error) unrecognized option%s\n", argv[1]);
    fflush(stderr);
    return -1;
  }
  return fail_to_size_console(&default_run_values);
}
