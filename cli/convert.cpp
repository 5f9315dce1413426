// tessarin-convert: placeholder until the converter lands.
int main() { return 1; }
