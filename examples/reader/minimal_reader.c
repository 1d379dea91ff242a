/* A minimal result reader: the nine functions Brenwick calls, serving one small synthetic
 * project whatever path it is asked to open. It shows what a reader for another data source
 * has to do; docs/readers.md explains each function. Build it as a shared library and select
 * it with `brenwick-cli --reader libminimal_reader.so ...` or BRENWICK_READER.
 *
 * The project: 4 x 3 x 3 mesh lines (z non-uniform), a real scalar potential that rises
 * linearly with z, and material matrices for the quantity codes 0 (permittivity) and 3
 * (density) with one value for every node and direction.
 *
 * Like a reader that wraps a foreign library, it keeps the address of its own project record
 * in the handle and checks it on every call. Built with MINIMAL_READER_FILL_WHOLE_ARRAY, it also
 * fills the whole array Brenwick hands to CST_Get3DHexResult, six times the count it reported,
 * as some readers do; Brenwick's test suite builds it that way. */
#include <stdint.h>
#include <stdlib.h>

#if defined(_WIN32)
#define READER_API __declspec(dllexport)
#else
#define READER_API __attribute__((visibility("default")))
#endif

/* The handle as Brenwick declares it (reader_contract/result_reader.h): at least 8 bytes, aligned for
 * a pointer, zeroed by the caller before CST_OpenProject. */
typedef union CSTProjHandle {
    int32_t id;
    void* address;
    uint64_t bits;
} CSTProjHandle;

enum { OK = 0, NO_PROJECT = 3, NOT_FOUND = 4, NOT_STORED = 6, INVALID_ARGUMENT = 7, OUT_OF_MEMORY = 8 };

#define NX 4
#define NY 3
#define NZ 3
#define NODES (NX * NY * NZ)
#define POTENTIAL_PATH "2D/3D Results\\Potentials"

static const double x_lines[NX] = {0.0, 1.0, 2.0, 3.0};
static const double y_lines[NY] = {0.0, 1.0, 2.0};
static const double z_lines[NZ] = {0.0, 0.5, 1.5};

/* What an open project keeps; the magic tells a live record from anything else. */
struct Project {
    uint32_t magic;
};
static const uint32_t project_magic = 0x42524e57u;

static struct Project* project_of(const CSTProjHandle* handle) {
    if (handle == NULL || handle->address == NULL) return NULL;
    struct Project* project = (struct Project*)handle->address;
    return project->magic == project_magic ? project : NULL;
}

static int same_text(const char* a, const char* b) {
    while (*a != '\0' && *a == *b) ++a, ++b;
    return *a == *b;
}

READER_API int CST_GetDLLVersion(int* version) {
    if (version == NULL) return INVALID_ARGUMENT;
    *version = 1;
    return OK;
}

READER_API int CST_OpenProject(const char* path, CSTProjHandle* handle) {
    if (path == NULL || handle == NULL) return INVALID_ARGUMENT;
    struct Project* project = (struct Project*)malloc(sizeof *project);
    if (project == NULL) return OUT_OF_MEMORY;
    project->magic = project_magic;
    handle->address = project;
    return OK;
}

READER_API int CST_GetHexMeshInfo(CSTProjHandle* handle, int* mesh_dims) {
    if (project_of(handle) == NULL) return NO_PROJECT;
    if (mesh_dims == NULL) return INVALID_ARGUMENT;
    mesh_dims[0] = NX;
    mesh_dims[1] = NY;
    mesh_dims[2] = NZ;
    return OK;
}

READER_API int CST_GetHexMesh(CSTProjHandle* handle, double* lines) {
    if (project_of(handle) == NULL) return NO_PROJECT;
    if (lines == NULL) return INVALID_ARGUMENT;
    for (int i = 0; i < NX; ++i) lines[i] = x_lines[i];
    for (int j = 0; j < NY; ++j) lines[NX + j] = y_lines[j];
    for (int k = 0; k < NZ; ++k) lines[NX + NY + k] = z_lines[k];
    return OK;
}

/* The count is the number of values stored: one per node for a real scalar field. */
READER_API int CST_Get3DHexResultSize(CSTProjHandle* handle, const char* tree_path, int result_number, int* count) {
    if (project_of(handle) == NULL) return NO_PROJECT;
    if (tree_path == NULL || count == NULL) return INVALID_ARGUMENT;
    if (result_number != 0 || !same_text(tree_path, POTENTIAL_PATH)) return NOT_FOUND;
    *count = NODES;
    return OK;
}

READER_API int CST_Get3DHexResultInfo(CSTProjHandle* handle, const char* tree_path, int result_number, int info_count,
                                      int reserved_a, int reserved_b, int* field_type, int reserved_c) {
    (void)info_count;
    (void)reserved_a;
    (void)reserved_b;
    (void)reserved_c;
    if (project_of(handle) == NULL) return NO_PROJECT;
    if (tree_path == NULL || field_type == NULL) return INVALID_ARGUMENT;
    if (result_number != 0 || !same_text(tree_path, POTENTIAL_PATH)) return NOT_FOUND;
    *field_type = 4; /* real scalar field */
    return OK;
}

/* Node (i, j, k) is value i + NX * (j + NY * k): x fastest, then y, then z. */
READER_API int CST_Get3DHexResult(CSTProjHandle* handle, const char* tree_path, int result_number, float* values) {
    if (project_of(handle) == NULL) return NO_PROJECT;
    if (tree_path == NULL || values == NULL) return INVALID_ARGUMENT;
    if (result_number != 0 || !same_text(tree_path, POTENTIAL_PATH)) return NOT_FOUND;
#if defined(MINIMAL_READER_FILL_WHOLE_ARRAY)
    for (int n = NODES; n < 6 * NODES; ++n) values[n] = -1.0f;
#endif
    for (int k = 0; k < NZ; ++k)
        for (int j = 0; j < NY; ++j)
            for (int i = 0; i < NX; ++i) values[i + NX * (j + NY * k)] = (float)(-1000.0 * z_lines[k] / z_lines[NZ - 1]);
    return OK;
}

/* Three blocks of one value per node: the x, then the y, then the z direction. */
READER_API int CST_GetMaterialMatrixHexMesh(CSTProjHandle* handle, int quantity, float* matrix) {
    if (project_of(handle) == NULL) return NO_PROJECT;
    if (matrix == NULL) return INVALID_ARGUMENT;
    if (quantity != 0 && quantity != 3) return NOT_STORED;
    const float value = quantity == 0 ? 1.0e11f : 1000.0f;
    for (int n = 0; n < 3 * NODES; ++n) matrix[n] = value;
    return OK;
}

READER_API int CST_CloseProject(CSTProjHandle* handle) {
    struct Project* project = project_of(handle);
    if (project == NULL) return NO_PROJECT;
    project->magic = 0;
    free(project);
    handle->address = NULL;
    return OK;
}
