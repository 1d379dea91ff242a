/* A library that offers only the first of the nine reader functions, for the test that such a
 * library is refused by name before any project is touched. */
int CST_GetDLLVersion(int* version) {
    *version = 7;
    return 0;
}
