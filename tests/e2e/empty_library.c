/* A shared library with none of the functions a stand-in must export: what a
   broken install could leave beside the program. */
int pellomar_nothing_here(void) { return 0; }
