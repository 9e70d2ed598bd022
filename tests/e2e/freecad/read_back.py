# Run by freecadcmd on the document that edit_block.script saved (path in TAVIK_FCSTD): FreeCAD
# must open it and find the values the script typed, and the shapes it had.
import os
import sys
import xml.etree.ElementTree as ElementTree
import zipfile

faults = []


def expect(what, got, want):
    if got != want:
        faults.append("%s: %r, expected %r" % (what, got, want))


try:
    import FreeCAD as App

    path = os.environ["TAVIK_FCSTD"]
    doc = App.openDocument(path)
    name = "BLOC SS & <CO> \U0001F600"
    for key, want in (("PartNo", "123-ABCD"), ("Name", name), ("Designer", "AW"),
                      ("Title", "123-ABCD - " + name), ("Tavik:Attribute:TavikAttribute", "pub_Tavik")):
        expect("Meta " + key, doc.Meta.get(key), want)
    expect("CreatedBy", doc.CreatedBy, "AW")
    expect("Material", doc.Material, {"Density": "7850 kg/m^3"})
    # FreeCAD 0.20 shows the file's name as a document's Label, whatever the file holds: the
    # Label Tavik wrote is read from Document.xml itself.
    root = ElementTree.fromstring(zipfile.ZipFile(path).read("Document.xml"))
    label = root.find("./Properties/Property[@name='Label']/String").get("value")
    expect("Label in Document.xml", label, "123-ABCD - " + name)
    expect("solids", sorted(round(o.Shape.Volume) for o in doc.Objects), [3393, 4189, 64000])
except Exception as e:  # freecadcmd exits with 0 on an uncaught exception
    faults.append("%s: %s" % (type(e).__name__, e))

for fault in faults:
    print("FAULT " + fault)
print("read back: %d faults" % len(faults))
sys.exit(1 if faults else 0)
