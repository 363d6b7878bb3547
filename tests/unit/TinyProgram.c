/* A minimal program built for the tests: a real PE or ELF file. */
int main(void) { return 0; }
