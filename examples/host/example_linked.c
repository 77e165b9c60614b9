/* The library linked like any shared library: the exports are called directly.
 * Prints what the library is. */
#include <krvdll.h>
#include <stdio.h>

int main(void) {
    char name[KRV_TEXT_BUFFER], device[KRV_TEXT_BUFFER];
    KRVDLLWlasciwosci(name, 2);
    KRVDLLWlasciwosci(device, 1);
    printf("library kind %d, name %s, device %s\n", (int)KRVDLLTypBiblioteki(), name, device);
    return KRVDLLTypBiblioteki() == KRV_LIBRARY_KIND ? 0 : 1;
}
