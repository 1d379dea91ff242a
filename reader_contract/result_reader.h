// The nine operations through which the engine reads a simulation project.
//
// Any library that exports these C functions can stand behind the engine: the one linked into
// the program (Brenwick's built-in reader of the HDF5 project format, docs/project-format.md)
// or one loaded at run time (docs/readers.md tells how to write and select one).
//
// Every function returns 0 on success and a non-zero status on failure. The caller supplies
// every array; a reader writes no more into an array than the sizes it reported before allow.
#ifndef BRENWICK_RESULT_READER_H
#define BRENWICK_RESULT_READER_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A reader built as a shared library exports these nine functions, and may export the
 * optional read monitor and plane reads below. */
#if defined(_WIN32) && defined(BRENWICK_READER_EXPORTS)
#define BRENWICK_READER_API __declspec(dllexport)
#elif defined(BRENWICK_READER_EXPORTS)
#define BRENWICK_READER_API __attribute__((visibility("default")))
#else
#define BRENWICK_READER_API
#endif

/* Identifies an open project; filled by CST_OpenProject, opaque to the caller. Large enough and
 * aligned for a reader that keeps an address in it; the caller zeroes it before opening. */
typedef union CSTProjHandle {
    int32_t id;       /* the built-in reader's project number */
    void* address;    /* room for a reader that keeps a pointer */
    uint64_t bits;    /* at least 8 bytes on every platform */
} CSTProjHandle;

/* The statuses of the contract: the built-in reader returns them, and another reader that means
 * the same should return the same, since Brenwick names them in its messages. A reader may
 * use other non-zero values for failures of its own. */
enum {
    BRENWICK_READER_OK = 0,
    BRENWICK_READER_FILE_ERROR = 1,          /* missing, unreadable or not an HDF5 file */
    BRENWICK_READER_NOT_A_PROJECT = 2,       /* HDF5, but not a project of a known version */
    BRENWICK_READER_UNKNOWN_HANDLE = 3,      /* the handle names no open project */
    BRENWICK_READER_RESULT_NOT_FOUND = 4,    /* no result has the requested tree path */
    BRENWICK_READER_INCONSISTENT_SIZES = 5,  /* stored lengths contradict the mesh or type */
    BRENWICK_READER_QUANTITY_NOT_STORED = 6, /* no material matrix for the quantity code */
    BRENWICK_READER_INVALID_ARGUMENT = 7,    /* a null pointer where an array is needed */
    BRENWICK_READER_READ_ERROR = 8,          /* the file could not be read, or holds bad types */
    BRENWICK_READER_STOPPED = 9              /* the read monitor asked the read to stop */
};

/* What a status says, as the words that follow "the reader" in a message ("could not open
 * the project"); a null pointer for a status the contract does not name. */
static inline const char* BrenwickReaderStatusText(long long status) {
    switch (status) {
    case BRENWICK_READER_OK: return "succeeded";
    case BRENWICK_READER_FILE_ERROR: return "could not open the project";
    case BRENWICK_READER_NOT_A_PROJECT: return "found no project of a known version in the file";
    case BRENWICK_READER_UNKNOWN_HANDLE: return "was given a handle that names no open project";
    case BRENWICK_READER_RESULT_NOT_FOUND: return "found no result with the requested tree path";
    case BRENWICK_READER_INCONSISTENT_SIZES: return "found stored lengths that contradict the mesh or the field type";
    case BRENWICK_READER_QUANTITY_NOT_STORED: return "found no material matrix for the requested quantity";
    case BRENWICK_READER_INVALID_ARGUMENT: return "was given a null pointer where an array is needed";
    case BRENWICK_READER_READ_ERROR: return "could not read the data, or found data of a bad type";
    case BRENWICK_READER_STOPPED: return "stopped the read as it was asked to";
    default: return 0;
    }
}

/* Field type codes of a result, as CST_Get3DHexResultInfo reports them. */
enum {
    BRENWICK_COMPLEX_VECTOR_FIELD = 1, /* Re and Im of the x, y and z component: 6 values per node */
    BRENWICK_REAL_VECTOR_FIELD = 2,    /* the x, y and z component: 3 values per node */
    BRENWICK_COMPLEX_SCALAR_FIELD = 3, /* Re and Im: 2 values per node */
    BRENWICK_REAL_SCALAR_FIELD = 4     /* 1 value per node */
};

/* The values a result of a field type stores per node; 0 for a code that names no type. */
static inline int BrenwickValuesPerNode(long long field_type) {
    switch (field_type) {
    case BRENWICK_COMPLEX_VECTOR_FIELD: return 6;
    case BRENWICK_REAL_VECTOR_FIELD: return 3;
    case BRENWICK_COMPLEX_SCALAR_FIELD: return 2;
    case BRENWICK_REAL_SCALAR_FIELD: return 1;
    default: return 0;
    }
}

/* Receives the reader's version. */
BRENWICK_READER_API int CST_GetDLLVersion(int* version);

/* Opens the project file at path and fills *handle. */
BRENWICK_READER_API int CST_OpenProject(const char* path, CSTProjHandle* handle);

/* Receives nx, ny, nz: the numbers of mesh lines along x, y and z. */
BRENWICK_READER_API int CST_GetHexMeshInfo(CSTProjHandle* handle, int* mesh_dims);

/* Receives the nx + ny + nz mesh line coordinates: x lines, then y, then z. */
BRENWICK_READER_API int CST_GetHexMesh(CSTProjHandle* handle, double* lines);

/* Receives the number of values stored for the result at tree_path: the node count times the
 * values per node of its field type (BrenwickValuesPerNode). */
BRENWICK_READER_API int CST_Get3DHexResultSize(CSTProjHandle* handle, const char* tree_path, int result_number,
                           int* count);

/* Receives the field type code (BRENWICK_COMPLEX_VECTOR_FIELD ... BRENWICK_REAL_SCALAR_FIELD)
 * of the result at tree_path in *field_type. The other arguments select
 * parts of the result information this program does not use; the engine passes 0, 1, 0, 0
 * and 0 for them. */
BRENWICK_READER_API int CST_Get3DHexResultInfo(CSTProjHandle* handle, const char* tree_path, int result_number,
                           int info_count, int reserved_a, int reserved_b, int* field_type,
                           int reserved_c);

/* Receives all stored values of the result at tree_path, in stored order: as many as
 * CST_Get3DHexResultSize reported. A library loaded at run time receives an array with room for
 * six times that count, as such a reader may expect. */
BRENWICK_READER_API int CST_Get3DHexResult(CSTProjHandle* handle, const char* tree_path, int result_number,
                       float* values);

/* Receives the material matrix for a quantity code: 3 * nx * ny * nz values, the x block,
 * then the y block, then the z block, each in node order. */
BRENWICK_READER_API int CST_GetMaterialMatrixHexMesh(CSTProjHandle* handle, int quantity, float* matrix);

/* Closes the project; the handle is invalid afterwards. */
BRENWICK_READER_API int CST_CloseProject(CSTProjHandle* handle);

/* Optional beside the nine: a reader that exports Brenwick_SetReadMonitor lets the engine
 * follow and stop its long reads. Readers without it are used as they are.
 *
 * The monitor is told how far a read has come: `done` of `total` values of the array that the
 * call in progress fills. It returns 0 to let the read go on, and non-zero when the engine asks
 * it to stop; the reader then ends that call soon with a non-zero status, leaving the array's
 * contents undefined. It is called on the thread of the reader call, must not call the reader,
 * and takes little time. */
typedef int (*BrenwickReadMonitor)(void* context, uint64_t done, uint64_t total);

/* From now on the reader calls `monitor` with `context` during CST_Get3DHexResult and
 * CST_GetMaterialMatrixHexMesh on this handle (it may do so in other calls too), at least once
 * before it starts filling the array and then every few milliseconds of reading; a null
 * monitor ends the monitoring. */
BRENWICK_READER_API int Brenwick_SetReadMonitor(CSTProjHandle* handle, BrenwickReadMonitor monitor, void* context);

/* Optional beside the nine: a reader that exports Brenwick_GetMaterialMatrixPlanes lets the
 * engine read the material matrix a few node planes at a time, so that the whole matrix never
 * needs to be held. Readers without it are read with CST_GetMaterialMatrixHexMesh as before.
 *
 * Receives the material matrix for a quantity code for the plane_count node planes (k, along z)
 * from first_plane on: 3 * nx * ny * plane_count values, the x components of those planes, then
 * the y components, then the z components, each in node order, exactly the values that
 * CST_GetMaterialMatrixHexMesh gives those nodes. The planes lie inside the mesh
 * (0 <= first_plane, 1 <= plane_count, first_plane + plane_count <= nz). The read monitor is
 * told of the call's own array, as for the other reads. */
BRENWICK_READER_API int Brenwick_GetMaterialMatrixPlanes(CSTProjHandle* handle, int quantity, int first_plane,
                                                         int plane_count, float* matrix);

#ifdef __cplusplus
}
#endif

#endif
