/* The minimal reader of docs/readers.md with one or more faults chosen by the environment
 * variable BRENWICK_TEST_READER_FAULTS, for the tests of what Brenwick does with a reader that
 * misbehaves:
 *   type=N              reports the field type code N
 *   type=unwritten      returns success from CST_Get3DHexResultInfo without writing the type
 *   potential=unwritten returns success from CST_Get3DHexResult without writing a value
 *   matrix=unwritten    returns success from CST_GetMaterialMatrixHexMesh without writing a value
 *   close=fails         closes the project but returns a failure status
 *   exit=FUNCTION       calls exit(0) in that function
 *   exit-thread=FUNCTION calls exit(0) on a thread that function starts and waits for
 *   mesh=huge           reports 1290 x 1290 x 1290 mesh lines, more memory than any array gets
 * Several faults are separated by blanks. */
#include <stdlib.h>
#include <string.h>

#if defined(_WIN32)
#include <windows.h>
#else
#include <pthread.h>
#endif

#define CST_GetDLLVersion minimal_GetDLLVersion
#define CST_OpenProject minimal_OpenProject
#define CST_GetHexMeshInfo minimal_GetHexMeshInfo
#define CST_GetHexMesh minimal_GetHexMesh
#define CST_Get3DHexResultSize minimal_Get3DHexResultSize
#define CST_Get3DHexResultInfo minimal_Get3DHexResultInfo
#define CST_Get3DHexResult minimal_Get3DHexResult
#define CST_GetMaterialMatrixHexMesh minimal_GetMaterialMatrixHexMesh
#define CST_CloseProject minimal_CloseProject
#include "minimal_reader.c"
#undef CST_GetDLLVersion
#undef CST_OpenProject
#undef CST_GetHexMeshInfo
#undef CST_GetHexMesh
#undef CST_Get3DHexResultSize
#undef CST_Get3DHexResultInfo
#undef CST_Get3DHexResult
#undef CST_GetMaterialMatrixHexMesh
#undef CST_CloseProject

#define HUGE_LINES 1290

/* The value of the fault `name` ("unwritten" for "potential=unwritten"), or NULL. */
static const char* fault(const char* name) {
    const char* faults = getenv("BRENWICK_TEST_READER_FAULTS");
    const size_t length = strlen(name);
    for (const char* at = faults; at != NULL && *at != '\0'; at = strchr(at, ' ')) {
        while (*at == ' ') ++at;
        if (strncmp(at, name, length) == 0 && at[length] == '=') return at + length + 1;
    }
    return NULL;
}

static int is_fault(const char* name, const char* value) {
    const char* actual = fault(name);
    return actual != NULL && strncmp(actual, value, strlen(value)) == 0 &&
           (actual[strlen(value)] == '\0' || actual[strlen(value)] == ' ');
}

#if defined(_WIN32)
static DWORD WINAPI exit_on_this_thread(LPVOID unused) {
    (void)unused;
    exit(0);
}

static void exit_on_own_thread(void) {
    const HANDLE thread = CreateThread(NULL, 0, exit_on_this_thread, NULL, 0, NULL);
    if (thread != NULL) WaitForSingleObject(thread, INFINITE);
}
#else
static void* exit_on_this_thread(void* unused) {
    (void)unused;
    exit(0);
}

static void exit_on_own_thread(void) {
    pthread_t thread;
    if (pthread_create(&thread, NULL, exit_on_this_thread, NULL) == 0) pthread_join(thread, NULL);
}
#endif

static void exit_if_asked(const char* function) {
    if (is_fault("exit", function)) exit(0);
    if (is_fault("exit-thread", function)) exit_on_own_thread();
}

static int huge_mesh(void) { return is_fault("mesh", "huge"); }

READER_API int CST_GetDLLVersion(int* version) {
    exit_if_asked("CST_GetDLLVersion");
    return minimal_GetDLLVersion(version);
}

READER_API int CST_OpenProject(const char* path, CSTProjHandle* handle) {
    exit_if_asked("CST_OpenProject");
    return minimal_OpenProject(path, handle);
}

READER_API int CST_GetHexMeshInfo(CSTProjHandle* handle, int* mesh_dims) {
    exit_if_asked("CST_GetHexMeshInfo");
    const int status = minimal_GetHexMeshInfo(handle, mesh_dims);
    if (status == OK && huge_mesh()) mesh_dims[0] = mesh_dims[1] = mesh_dims[2] = HUGE_LINES;
    return status;
}

READER_API int CST_GetHexMesh(CSTProjHandle* handle, double* lines) {
    exit_if_asked("CST_GetHexMesh");
    if (!huge_mesh()) return minimal_GetHexMesh(handle, lines);
    for (int n = 0; n < 3 * HUGE_LINES; ++n) lines[n] = n % HUGE_LINES;
    return OK;
}

READER_API int CST_Get3DHexResultSize(CSTProjHandle* handle, const char* tree_path, int result_number, int* count) {
    exit_if_asked("CST_Get3DHexResultSize");
    const int status = minimal_Get3DHexResultSize(handle, tree_path, result_number, count);
    if (status == OK && huge_mesh()) *count = HUGE_LINES * HUGE_LINES * HUGE_LINES;
    return status;
}

READER_API int CST_Get3DHexResultInfo(CSTProjHandle* handle, const char* tree_path, int result_number, int info_count,
                                      int reserved_a, int reserved_b, int* field_type, int reserved_c) {
    exit_if_asked("CST_Get3DHexResultInfo");
    if (is_fault("type", "unwritten")) return OK;
    const int status = minimal_Get3DHexResultInfo(handle, tree_path, result_number, info_count, reserved_a, reserved_b,
                                                  field_type, reserved_c);
    if (status == OK && fault("type") != NULL) *field_type = atoi(fault("type"));
    return status;
}

READER_API int CST_Get3DHexResult(CSTProjHandle* handle, const char* tree_path, int result_number, float* values) {
    exit_if_asked("CST_Get3DHexResult");
    if (is_fault("potential", "unwritten")) return OK;
    return minimal_Get3DHexResult(handle, tree_path, result_number, values);
}

READER_API int CST_GetMaterialMatrixHexMesh(CSTProjHandle* handle, int quantity, float* matrix) {
    exit_if_asked("CST_GetMaterialMatrixHexMesh");
    if (is_fault("matrix", "unwritten")) return OK;
    return minimal_GetMaterialMatrixHexMesh(handle, quantity, matrix);
}

READER_API int CST_CloseProject(CSTProjHandle* handle) {
    exit_if_asked("CST_CloseProject");
    const int status = minimal_CloseProject(handle);
    return is_fault("close", "fails") ? 9 : status;
}
