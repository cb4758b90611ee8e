// minimal_console.exe: the floor for korvan-cli.exe's start-up under Wine: a console program built by
// the same toolchain, statically, that does nothing. scripts/bench times both the same way.
int main() { return 0; }
