// The virtual ECU on a pseudo-terminal.
int main() { return 0; }
