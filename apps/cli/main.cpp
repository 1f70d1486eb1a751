// Headless front end over the workstation core.
int main() { return 0; }
