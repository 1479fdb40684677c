/* The baseline of the whole-process benchmark: loads FILE with inih and prints
 * the value of KEY in SECTION (names compared without letter case, the first
 * definition wins), or nothing when there is none.
 *   inih_get FILE SECTION KEY */
#include <ini.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>

struct Query {
    const char* section;
    const char* key;
    char* value;
};

static int Visit(void* user, const char* section, const char* name, const char* value) {
    struct Query* query = (struct Query*)user;
    if (!query->value && strcasecmp(section, query->section) == 0 && strcasecmp(name, query->key) == 0)
        query->value = strdup(value);
    return 1;
}

int main(int argc, char** argv) {
    if (argc != 4) {
        fprintf(stderr, "usage: inih_get FILE SECTION KEY\n");
        return 2;
    }
    struct Query query = {argv[2], argv[3], NULL};
    if (ini_parse(argv[1], Visit, &query) < 0) {
        fprintf(stderr, "inih_get: cannot read %s\n", argv[1]);
        return 1;
    }
    if (query.value) printf("%s\n", query.value);
    free(query.value);
    return 0;
}
