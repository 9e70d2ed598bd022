# Run by freecadcmd on the document that edit_block.script saved (path in TAVIK_FCSTD): FreeCAD
# must open it and find the values the script typed, keep what Tavik was not asked to change (Meta
# keys the configuration does not name, the comment, every shape entry byte for byte), and agree
# with the mass, volume and area Tavik showed when it opened the file again (TAVIK_REOPENED).
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
    # Supplier is named by another frame of the configuration, so Done deletes it; Workshop is not.
    expect("Meta Workshop", doc.Meta.get("Workshop"), "Halle 3 \u2013 S\u00fcd")
    expect("Meta Supplier", doc.Meta.get("Supplier"), None)
    expect("Comment", doc.Comment, "Three solids")

    def entries(p):
        with zipfile.ZipFile(p) as z:
            return {i.filename: z.read(i.filename) for i in z.infolist() if i.filename != "Document.xml"}
    expect("entries other than Document.xml", entries(path), entries(os.environ["TAVIK_FCSTD_ORIGINAL"]))

    # The mass properties Tavik showed, against FreeCAD's own figures for the same solids.
    shown = {}
    for line in open(os.environ["TAVIK_REOPENED"], encoding="utf-8"):
        f = line.rstrip("\n").split("\t")
        if f[0] == "FIELD":
            shown[f[-1]] = float(f[2])
    volume = sum(o.Shape.Volume for o in doc.Objects) * 1e-9
    area = sum(o.Shape.Area for o in doc.Objects) * 1e-6
    for unit, want in (("m3", volume), ("m2", area), ("kg", volume * 7850)):
        got = shown.get(unit)
        if got is None or abs(got - want) > 1e-6 * abs(want):
            faults.append("shown %s %r, FreeCAD's figure %r" % (unit, got, want))
except Exception as e:  # freecadcmd exits with 0 on an uncaught exception
    faults.append("%s: %s" % (type(e).__name__, e))

for fault in faults:
    print("FAULT " + fault)
print("read back: %d faults" % len(faults))
sys.exit(1 if faults else 0)
