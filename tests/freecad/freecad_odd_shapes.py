# Run under freecadcmd: makes, in the folder TAVIK_ODD_DIR, two documents of the same shapes whose
# measures are not trivial: Odd.FCStd with text BREP entries and OddBinary.FCStd with binary ones.
# Curved solids moved and turned by their placements, a box with filleted edges, a compound of two
# solids and a plane (a face, no solid). Exits 1 on failure. Binary saving is a user setting, so
# run it with FREECAD_USER_HOME set to a scratch folder, not the user's own.
import os
import sys
import traceback

import FreeCAD as App


def placement(x, y, z, axis, angle):
    return App.Placement(App.Vector(x, y, z), App.Rotation(App.Vector(*axis), angle))


def make(out):
    d = App.newDocument("Odd")
    ball = d.addObject("Part::Sphere", "Ball")
    ball.Radius = 7.5
    ball.Placement = placement(3, -4, 5, (1, 1, 0), 33)
    ring = d.addObject("Part::Torus", "Ring")
    ring.Radius1, ring.Radius2 = 20, 4
    ring.Placement = placement(-50, 10, 7, (0.3, 1, 0.2), 71)
    block = d.addObject("Part::Box", "Block")
    block.Length, block.Width, block.Height = 30, 20, 10
    rounded = d.addObject("Part::Fillet", "Rounded")
    rounded.Base = block
    rounded.Edges = [(i, 2.0, 2.0) for i in range(1, 13)]
    rounded.Placement = placement(100, 0, 0, (0, 0, 1), 45)
    cone = d.addObject("Part::Cone", "Cone")
    cone.Radius1, cone.Radius2, cone.Height = 5, 2, 9
    cone.Placement = placement(0, 0, -30, (1, 0, 0), 120)
    left = d.addObject("Part::Box", "Left")
    right = d.addObject("Part::Box", "Right")
    right.Placement = placement(0, 40, 0, (0, 1, 0), 10)
    pair = d.addObject("Part::Compound", "Pair")
    pair.Links = [left, right]
    sheet = d.addObject("Part::Plane", "Sheet")
    sheet.Length, sheet.Width = 25, 15
    d.recompute()
    block.Visibility = False
    d.saveAs(os.path.join(out, "Odd.FCStd"))
    params = App.ParamGet("User parameter:BaseApp/Preferences/Document")
    params.SetBool("SaveBinaryBrep", True)
    try:
        d.saveAs(os.path.join(out, "OddBinary.FCStd"))
    finally:
        params.RemBool("SaveBinaryBrep")
    App.closeDocument(d.Name)


try:
    make(os.environ["TAVIK_ODD_DIR"])
except Exception:
    sys.stderr.write("freecad_odd_shapes.py: %s" % traceback.format_exc())
    sys.exit(1)
sys.exit(0)
