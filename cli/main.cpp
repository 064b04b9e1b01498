#include <cstdio>
int main() { std::fputs("corvane-cli: not built yet\n", stderr); return 2; }
