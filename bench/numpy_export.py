#!/usr/bin/python3
"""The export of `brenwick-cli export --write-property` as a physicist would write it with h5py
and numpy: whole arrays, no loop over elements. The peer that bench/run times Brenwick against
and compares byte for byte.

    numpy_export.py PROJECT MATERIALS OUTPUT [--density]

Reads Brenwick's HDF5 project format (docs/project-format.md) and writes the .efm file
(efm/format.h). Every operation runs in the order and precision the engine uses, so that the
bytes are the same: float64 arithmetic on float32 matrix values, the element property rounded to
float32, distances to the catalogue in float32.
"""
import argparse
import struct
import xml.etree.ElementTree as ElementTree

import h5py
import numpy as np

VACUUM_PERMITTIVITY = 8.85418782e-12
POTENTIAL_PATH = "2D/3D Results\\Potentials"
HEADER_SIZE = 1000
HEADER_LINES = [["mesh_nx", "mesh_ny", "mesh_nz"], ["mesh_xlines", "mesh_ylines", "mesh_zlines"],
                ["nodes_scalar", "nodes_vector_x", "nodes_vector_y", "nodes_vector_z"],
                ["elements_scalar", "elements_vector_x", "elements_vector_y", "elements_vector_z"],
                ["elements_material"], ["n_materials"]]


def axis_lengths(lines):
    """Edge and dual length of every cell of one axis."""
    edge = lines[1:] - lines[:-1]
    dual = edge * 0.5
    dual[1:] = (lines[1:-1] - lines[:-2]) * 0.5 + edge[1:] * 0.5
    return edge, dual


def element_properties(matrix, x, y, z, density):
    """One float32 per element from its lower corner node's three matrix components."""
    nx, ny, nz = len(x), len(y), len(z)
    m = matrix.reshape(3, nz, ny, nx)[:, :-1, :-1, :-1].astype(np.float64)
    (ex, dx), (ey, dy), (ez, dz) = axis_lengths(x), axis_lengths(y), axis_lengths(z)
    ex, dx = ex[None, None, :], dx[None, None, :]
    ey, dy = ey[None, :, None], dy[None, :, None]
    ez, dz = ez[:, None, None], dz[:, None, None]
    if density:
        inv = (ez * ey / dx, ez * ex / dy, ey * ex / dz)
        v = [m[c] / inv[c] for c in range(3)]
    else:
        inv = (dz * dy / ex, dz * dx / ey, dy * dx / ez)
        v = [1 / (m[c] * inv[c] * VACUUM_PERMITTIVITY) for c in range(3)]
    return np.sqrt((v[0] * v[0] + v[1] * v[1] + v[2] * v[2]) / 3.0).astype(np.float32).ravel()


def read_catalogue(path):
    materials = []
    for node in ElementTree.parse(path).getroot().iter("Material"):
        number = {key: np.float32(node.get(key, "0")) for key in ("ID", "eps", "mue", "rho", "rho_set")}
        number["description"] = node.get("description", "")
        materials.append(number)
    return materials


def material_byte(material_id):
    if not -2147483648.0 <= material_id < 2147483648.0:
        return 0
    return int(material_id) & 0xFF


def assign(properties, materials, density):
    """The byte of the nearest catalogue material; the first of equal distances wins."""
    key = "rho_set" if density else "eps"
    reference = min((m[key] for m in materials if m["ID"] != 0), default=np.float32(0))
    below = properties.astype(np.float64) < 0.5 * float(reference)
    best = chosen = None
    for material in materials:
        distance = np.abs(properties - material[key])
        if material["ID"] == 0:
            distance[below] = 0
        if best is None:
            best, chosen = distance, np.full(properties.shape, material_byte(material["ID"]), np.uint8)
        else:
            closer = best > distance
            best = np.where(closer, distance, best)
            chosen = np.where(closer, np.uint8(material_byte(material["ID"])), chosen)
    without = np.abs(properties).astype(np.float64) < 1e-4
    if not density:
        without |= np.isinf(properties)
    chosen[without] = 0
    return chosen


def header(numbers):
    text = "".join(" ".join(f"{key}={numbers.get(key, 0)}" for key in line) + "\n" for line in HEADER_LINES)
    return text.encode("ascii").ljust(HEADER_SIZE, b"\0")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("project")
    parser.add_argument("materials")
    parser.add_argument("output")
    parser.add_argument("--density", action="store_true")
    arguments = parser.parse_args()

    with h5py.File(arguments.project, "r") as project:
        x, y, z = (project["mesh"][axis][...].astype(np.float64) for axis in "xyz")
        potential = next(project["results"][name] for name in sorted(project["results"])
                         if project["results"][name].attrs.get("tree_path") == POTENTIAL_PATH)
        nodes = potential[...].astype(np.float32)
        matrix = project["material_matrix"]["3" if arguments.density else "0"][...]
    properties = element_properties(matrix, x, y, z, arguments.density)
    materials = read_catalogue(arguments.materials)
    bytes_ = assign(properties, materials, arguments.density)

    numbers = {"mesh_nx": len(x), "mesh_ny": len(y), "mesh_nz": len(z), "mesh_xlines": len(x),
               "mesh_ylines": len(y), "mesh_zlines": len(z), "nodes_scalar": nodes.size,
               "elements_scalar": properties.size, "elements_material": bytes_.size, "n_materials": len(materials)}
    with open(arguments.output, "wb") as output:
        output.write(header(numbers))
        for array in (x, y, z, nodes, properties, bytes_):
            array.tofile(output)
        for m in materials:
            description = m["description"].encode("utf-8") + b"\0"
            output.write(struct.pack("<fi", m["ID"], len(description)) + description +
                         struct.pack("<fff", m["eps"], m["mue"], m["rho"]))


if __name__ == "__main__":
    main()
