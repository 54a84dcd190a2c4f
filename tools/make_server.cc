// Placeholder: the sample server generator is being written.
int main() { return 1; }
