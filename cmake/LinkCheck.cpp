// Linked with the whole of one geometry library and the libraries below it
// (corvia_check_geometry_links): the program does nothing; that it links is the check.
int main() { return 0; }
