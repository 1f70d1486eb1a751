// The link server: owns the serial port and answers pipe messages.
int main() { return 0; }
