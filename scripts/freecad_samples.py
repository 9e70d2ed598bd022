# Run by scripts/make-freecad-samples under freecadcmd: builds the FreeCAD sample documents with
# FreeCAD itself, so that they are files a real FreeCAD wrote.
import os
import sys

import FreeCAD as App
import Part

out = os.environ["TAVIK_SAMPLES_DIR"]


def save(doc, name):
    doc.recompute()
    path = os.path.join(out, name)
    doc.saveAs(path)
    print(path)
    return path


# A part made of a few separate solids: a block, a pin and a ball, none used by another.
d = App.newDocument("Block")
box = d.addObject("Part::Box", "Block")
box.Length, box.Width, box.Height = 80, 40, 20
pin = d.addObject("Part::Cylinder", "Pin")
pin.Radius, pin.Height = 6, 30
pin.Placement.Base = App.Vector(120, 0, 0)
ball = d.addObject("Part::Sphere", "Ball")
ball.Radius = 10
ball.Placement.Base = App.Vector(0, 100, 0)
d.Label = "Block"
d.CreatedBy = "Anna Weiß"
d.Comment = "Three solids"
d.Meta = {"PartNo": "FC-100", "Description": "BLOCK", "Supplier": "Müller & Söhne", "Workshop": "Halle 3 – Süd"}
d.Material = {"Density": "2700 kg/m^3"}
save(d, "Block.FCStd")
App.closeDocument(d.Name)

# A part with a cut: a plate with a hole. The plate and the drill are used by the cut, so only
# the cut is what a person sees as the part.
d = App.newDocument("Flange")
plate = d.addObject("Part::Box", "Plate")
plate.Length, plate.Width, plate.Height = 100, 50, 10
drill = d.addObject("Part::Cylinder", "Drill")
drill.Radius, drill.Height = 5, 10
drill.Placement.Base = App.Vector(50, 25, 0)
cut = d.addObject("Part::Cut", "Flange")
cut.Base, cut.Tool = plate, drill
d.Label = "Flange"
d.CreatedBy = "Jo"
d.Meta = {"PartNo": "FC-200", "Material": "S235"}
d.Material = {"Density": "7850 kg/m^3"}
save(d, "Flange.FCStd")
App.closeDocument(d.Name)

# A part as FreeCAD's Part Design workbench makes it: a body holding a sketch, a pad and a fillet.
# The body shows its last feature's shape; the features link back to the body while it is open.
d = App.newDocument("Clip")
body = d.addObject("PartDesign::Body", "Body")
sketch = body.newObject("Sketcher::SketchObject", "Sketch")
corners = [App.Vector(0, 0, 0), App.Vector(30, 0, 0), App.Vector(30, 20, 0), App.Vector(0, 20, 0)]
for i in range(4):
    sketch.addGeometry(Part.LineSegment(corners[i], corners[(i + 1) % 4]))
pad = body.newObject("PartDesign::Pad", "Pad")
pad.Profile, pad.Length = sketch, 7
d.recompute()
fillet = body.newObject("PartDesign::Fillet", "Fillet")
fillet.Base, fillet.Radius = (pad, ["Edge1"]), 2
d.Label = "Clip"
d.Meta = {"PartNo": "FC-300"}
save(d, "Clip.FCStd")
App.closeDocument(d.Name)

# An assembly: links to the two parts above, kept in other files.
block = App.openDocument(os.path.join(out, "Block.FCStd"))
flange = App.openDocument(os.path.join(out, "Flange.FCStd"))
d = App.newDocument("Stand")
d.saveAs(os.path.join(out, "Stand.FCStd"))  # a link to another file needs a saved owner
a = d.addObject("App::Link", "BlockLink")
a.LinkedObject = block.getObject("Block")
b = d.addObject("App::Link", "FlangeLink")
b.LinkedObject = flange.getObject("Flange")
b.Placement.Base = App.Vector(0, 0, 20)
d.Label = "Stand"
d.Meta = {"PartNo": "FC-900"}
save(d, "Stand.FCStd")
sys.exit(0)
