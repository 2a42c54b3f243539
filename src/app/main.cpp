// Program entry; the shell is built up in src/app.
int main() { return 0; }
