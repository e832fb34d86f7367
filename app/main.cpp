// PLACEHOLDER: the integer relation test program.
int main() { return 0; }
