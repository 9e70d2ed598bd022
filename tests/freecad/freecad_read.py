# Run under freecadcmd: opens the FreeCAD document named by TAVIK_FCSTD and reports what FreeCAD
# itself reads in it, as one JSON object:
#   the document's properties (Label, CreatedBy, LastModifiedBy, Comment, Company, Id, License,
#   LicenseURL, CreationDate, LastModifiedDate, Meta, Material, and UnitSystem when the document
#   has one);
#   "Objects": for each object its Name, Label, TypeId, Visibility, UsedBy (the names of the
#   objects that use it: its InList) and, when it has a shape of its own, "Shape": ShapeType,
#   Solids (their count), Volume, Area (FreeCAD's Shape.Volume and Shape.Area), CenterOfMass (the
#   volume-weighted mean of its solids' centres; null without solids) and Digest (SHA-256 of
#   Shape.exportBrepToString()), or {"Null": true} for an empty shape;
#   "Entries": the SHA-256 of every archive entry but Document.xml and GuiDocument.xml, by name.
# freecadcmd writes its banner and progress on standard output, so the JSON goes to the file named
# by TAVIK_FCSTD_JSON when it is set, and otherwise to standard output on its own line between the
# lines TAVIK-FREECAD-READ-BEGIN and TAVIK-FREECAD-READ-END. The exit status is 0 on success and
# 1 on any failure (the reason on standard error); freecadcmd's own is 0 even when a script
# raises.
import hashlib
import json
import os
import sys
import traceback
import zipfile

import FreeCAD as App

BEGIN = "TAVIK-FREECAD-READ-BEGIN"
END = "TAVIK-FREECAD-READ-END"
DOCUMENT_PROPERTIES = ["Label", "CreatedBy", "LastModifiedBy", "Comment", "Company", "Id", "License",
                       "LicenseURL", "CreationDate", "LastModifiedDate"]


def vector(v):
    return [v.x, v.y, v.z]


def shape_report(shape):
    if shape.isNull():
        return {"Null": True}
    solids = shape.Solids
    volume = sum(s.Volume for s in solids)
    centre = None
    if solids and volume != 0:
        moment = [0.0, 0.0, 0.0]
        for s in solids:
            c = s.CenterOfMass
            moment = [moment[0] + s.Volume * c.x, moment[1] + s.Volume * c.y, moment[2] + s.Volume * c.z]
        centre = [m / volume for m in moment]
    return {
        "ShapeType": shape.ShapeType,
        "Solids": len(solids),
        "Volume": shape.Volume,
        "Area": shape.Area,
        "CenterOfMass": centre,
        "Digest": hashlib.sha256(shape.exportBrepToString().encode("utf-8")).hexdigest(),
    }


def object_report(obj):
    report = {
        "Name": obj.Name,
        "Label": obj.Label,
        "TypeId": obj.TypeId,
        "Visibility": bool(getattr(obj, "Visibility", False)),
        "UsedBy": sorted(o.Name for o in obj.InList),
    }
    # Only a shape the object keeps itself: a link's shape is its target's, kept elsewhere.
    if "Shape" in obj.PropertiesList and obj.getTypeIdOfProperty("Shape") == "Part::PropertyPartShape":
        report["Shape"] = shape_report(obj.Shape)
    return report


def entry_digests(path):
    with zipfile.ZipFile(path) as archive:
        return {name: hashlib.sha256(archive.read(name)).hexdigest()
                for name in archive.namelist() if name not in ("Document.xml", "GuiDocument.xml")}


def read(path):
    doc = App.openDocument(path)
    try:
        report = {p: getattr(doc, p) for p in DOCUMENT_PROPERTIES}
        report["Meta"] = dict(doc.Meta)
        report["Material"] = dict(doc.Material)
        if "UnitSystem" in doc.PropertiesList:
            report["UnitSystem"] = doc.UnitSystem
        report["Objects"] = [object_report(o) for o in doc.Objects]
        report["Entries"] = entry_digests(path)
        return report
    finally:
        App.closeDocument(doc.Name)


def main():
    path = os.environ.get("TAVIK_FCSTD")
    if not path:
        sys.stderr.write("freecad_read.py: TAVIK_FCSTD names no document\n")
        return 1
    try:
        text = json.dumps(read(path), ensure_ascii=True, sort_keys=True)
    except Exception:
        sys.stderr.write("freecad_read.py: cannot read %s\n%s" % (path, traceback.format_exc()))
        return 1
    out = os.environ.get("TAVIK_FCSTD_JSON")
    if out:
        with open(out, "w", encoding="utf-8") as f:
            f.write(text + "\n")
    else:
        sys.stdout.write("\n%s\n%s\n%s\n" % (BEGIN, text, END))
        sys.stdout.flush()
    return 0


sys.exit(main())
