"""Seeded random cases for the editor: a configuration, documents, and a script of user actions.

One seed gives one case, always the same one. The configuration is valid against Tavik.xsd; the
documents are host document files; the script is written in abstract actions (see Case.render)
so that the runner can drop an action the editor refuses and render the rest again.
"""

import json
import random
from xml.sax.saxutils import escape, quoteattr

import texts

SYSTEM_READS = ["systemLongDate", "systemShortDate", "systemTime", "systemDate", "dateCreated",
                "dateModified", "dateAccessed", "fileSize", "swDocType", "unit", "density", "volume",
                "area", "mass", "fileName", "fileNameWithPath", "summaryTitle", "summarySubject",
                "summaryAuthor", "summaryKeywords", "summaryComments", "summarySavedBy", "noSuchValue"]
# "filename" renames the document on Done; the runner finds the saved file by its age.
SYSTEM_WRITES = ["density", "setTitle", "units", "summaryTitle", "summarySubject", "summaryAuthor",
                 "summaryKeywords", "summaryComments", "filename"]
LOCATIONS = ["onlyDocument", "onlyConfigurations", "both"]
FLAG_TRUE = ["true", "True", "TRUE", "1", "-2.5"]
FLAG_FALSE = ["false", "False", "0", "0.0"]
# Children of one group element go on one page until there are twelve.
PAGE_SIZE = 12


class Item:
    def __init__(self, tag, kind):
        self.tag = tag
        self.kind = kind          # standard, list, composite, systemRead, serial
        self.attrs = {}
        self.options = []         # each: (values, attrs)
        self.frame = self.page = self.index = 0
        self.in_list = None       # the List it belongs to
        self.location = "both"
        self.all_caps = False
        self.prototype = None
        self.length = None
        self.editable = True
        self.visible = True
        self.same_for_all = False
        self.system_write = None
        self.link_target = False  # some list's linkTo names it
        self.composite_part = False

    def field_tag(self, slot):
        return "%03d:%03d:%03d:%03d" % (self.frame, self.page, self.index, slot)

    @property
    def plain(self):
        """A text field whose value only the user and the document give."""
        return (self.kind == "standard" and self.in_list is None and self.system_write is None
                and not self.link_target)

    def xml(self, indent):
        attrs = "".join(" %s=%s" % (k, quoteattr(v)) for k, v in self.attrs.items())
        if not self.options:
            return "%s<item%s/>\n" % (indent, attrs)
        out = "%s<item%s>\n" % (indent, attrs)
        for values, oattrs in self.options:
            oa = "".join(" %s=%s" % (k, quoteattr(v)) for k, v in oattrs.items())
            if len(values) == 1 and not values[0].startswith("<"):
                out += "%s  <option%s>%s</option>\n" % (indent, oa, escape(values[0]))
            else:
                inner = "".join("<value>%s</value>" % escape(v) for v in values)
                out += "%s  <option%s>%s</option>\n" % (indent, oa, inner)
        return out + "%s</item>\n" % indent


class List:
    def __init__(self):
        self.members = []
        self.attrs = {}
        self.link_to = None


class Generator:
    def __init__(self, seed, odd=None):
        self.seed = seed
        self.rng = random.Random(seed)
        # About one case in eight carries links and composites that feed each other.
        # The draw is made also when the caller decides, so that a seed that is odd of its own
        # gives the same case either way.
        drawn = self.rng.random() < 0.125
        self.odd = drawn if odd is None else odd
        self.tags = set()
        self.frames = []          # each: list of pages; each page: list of children (Item or List)
        self.items = []           # every item, in file order
        self.frame_names = []
        self.group_names = []     # per frame: list of group element names with their pages

    # Names -------------------------------------------------------------------------------------

    def new_tag(self):
        r = self.rng
        while True:
            base = r.choice(["P", "Part", "Desc", "Mat", "Fin", "Rev", "Dwg", "Maß", "Item", "No"])
            tag = "%s%d" % (base, r.randrange(1000))
            if r.random() < 0.03:
                tag += " x"
            if tag not in self.tags:
                self.tags.add(tag)
                return tag

    def flag(self, value):
        return self.rng.choice(FLAG_TRUE if value else FLAG_FALSE)

    # Items -------------------------------------------------------------------------------------

    def option_values(self, columns):
        return [texts.option_text(self.rng) for _ in range(columns)]

    def common_attrs(self, item):
        r = self.rng
        a = item.attrs
        if r.random() < 0.5:
            a["displayName"] = texts.option_text(r) if r.random() < 0.3 else item.tag.upper()
        if r.random() < 0.3:
            a["units"] = r.choice(["mm", "kg", "", "Ω", "µm"])
        if r.random() < 0.45:
            item.location = r.choice(LOCATIONS)
            a["location"] = item.location
        if r.random() < 0.25:
            item.all_caps = True
            a["allCaps"] = self.flag(True)
        elif r.random() < 0.1:
            a["allCaps"] = self.flag(False)
        if r.random() < 0.25:
            item.length = r.choice([1, 3, 8, 20, 60, 255])
            a["length"] = str(item.length)
        if r.random() < 0.08:
            item.visible = False
            a["visible"] = self.flag(False)
        if r.random() < 0.08:
            item.editable = False
            a["editable"] = self.flag(False)
        if r.random() < 0.15:
            item.same_for_all = True
            a["sameForAllConfigs"] = self.flag(True)
        if r.random() < 0.1:
            a["saveDefaults"] = self.flag(r.random() < 0.5)

    def standard_item(self):
        r = self.rng
        item = Item(self.new_tag(), "standard")
        item.attrs["CPTag"] = item.tag
        if r.random() < 0.2:
            item.attrs["type"] = "standard"
        self.common_attrs(item)
        if r.random() < 0.25:
            item.prototype = texts.prototype(r)
            item.attrs["prototype"] = item.prototype
        if r.random() < 0.12:
            item.system_write = r.choice(SYSTEM_WRITES if r.random() < 0.3 else SYSTEM_WRITES[:-1])
            item.attrs["systemWrite"] = self.flag(True)
            item.attrs["systemWriteValue"] = item.system_write
            if item.system_write == "filename":
                # The new name must be a name the document can take.
                item.prototype = None
                item.attrs.pop("prototype", None)
                item.options = [(["renamed%d" % r.randrange(100)], {})]
        if not item.options:
            for k in range(r.choice([0, 0, 1, 1, 2, 3])):
                text = texts.matching(r, item.prototype) if item.prototype and r.random() < 0.7 \
                    else texts.option_text(r)
                # An option must hold a text: an empty option element does not load.
                text = text or "x"
                attrs = {"default": "true"} if r.random() < 0.2 else {}
                item.options.append(([text], attrs))
        return item

    def list_item(self):
        r = self.rng
        item = Item(self.new_tag(), "list")
        item.attrs["CPTag"] = item.tag
        item.attrs["type"] = "list"
        self.common_attrs(item)
        columns = r.choice([1, 1, 2, 3])
        for k in range(r.randint(1, 8)):
            attrs = {}
            if r.random() < 0.15:
                attrs["default"] = r.choice(["true", "false"])
            item.options.append((self.option_values(columns), attrs))
        if r.random() < 0.1:
            item.system_write = r.choice(["units", "summaryKeywords", "density"])
            item.attrs["systemWrite"] = self.flag(True)
            item.attrs["systemWriteValue"] = item.system_write
        return item

    def system_read_item(self):
        r = self.rng
        item = Item(self.new_tag(), "systemRead")
        item.attrs["CPTag"] = item.tag
        item.attrs["type"] = "systemRead"
        self.common_attrs(item)
        item.options.append(([r.choice(SYSTEM_READS)], {}))
        return item

    def serial_item(self):
        r = self.rng
        item = Item(self.new_tag(), "serial")
        item.attrs["CPTag"] = item.tag
        item.attrs["type"] = "systemRead"
        self.common_attrs(item)
        if r.random() < 0.7:
            item.prototype = r.choice(["SN-####", "??-###", "####", "X\\#-##", "#"])
            item.attrs["prototype"] = item.prototype
            if r.random() < 0.4 and "?" not in item.prototype and "\\" not in item.prototype:
                width = item.prototype.count("#")
                item.attrs["minVal"] = item.prototype.replace("#" * width, "1".zfill(width))
                item.attrs["maxVal"] = item.prototype.replace("#" * width, "9" * width)
        if r.random() < 0.4:
            item.attrs["incVal"] = str(r.choice([1, 2, 7, 0, -1]))
        counter = r.choice(["Counter%d" % r.randrange(4), "Ser", "Zähler"])
        values = ["nextSerialNumber"] + ([counter] if r.random() < 0.9 else [])
        item.options.append((values, {}))
        return item

    def composite_item(self):
        item = Item(self.new_tag(), "composite")
        item.attrs["CPTag"] = item.tag
        item.attrs["type"] = "composite"
        self.common_attrs(item)
        if self.rng.random() < 0.15:
            item.system_write = self.rng.choice(["summaryTitle", "summaryComments", "setTitle"])
            item.attrs["systemWrite"] = self.flag(True)
            item.attrs["systemWriteValue"] = item.system_write
        return item  # parts are chosen once the frame's items are known

    def any_item(self):
        roll = self.rng.random()
        if roll < 0.45:
            return self.standard_item()
        if roll < 0.65:
            return self.list_item()
        if roll < 0.75:
            return self.system_read_item()
        if roll < 0.85:
            return self.serial_item()
        return self.composite_item()

    def cust_prop_list(self):
        r = self.rng
        lst = List()
        for _ in range(r.randint(1, 5)):
            member = self.standard_item() if r.random() < 0.7 else self.list_item()
            member.in_list = lst
            lst.members.append(member)
        if r.random() < 0.3:
            lst.attrs["visible"] = self.flag(r.random() < 0.7)
        if r.random() < 0.3:
            lst.attrs["editable"] = self.flag(r.random() < 0.7)
        if r.random() < 0.4:
            lst.attrs["defaultIndex"] = str(r.randrange(len(lst.members) + 1))
        return lst

    # Frames ------------------------------------------------------------------------------------

    def build(self):
        r = self.rng
        self.settings = []
        for _ in range(r.choice([0, 1, 1, 1, 2])):
            s = {}
            if r.random() < 0.7:
                s["useConfigs"] = self.flag(r.random() < 0.6)
            if r.random() < 0.5:
                s["defaultFrame"] = str(r.randrange(4))
            if r.random() < 0.3:
                s["operation"] = "local"
            self.settings.append(s)
        for f in range(r.choice([1, 1, 2, 3])):
            self.build_frame(f)
        return self

    def build_frame(self, f):
        r = self.rng
        self.frame_names.append(r.choice(["Part", "Drawing", "Einkauf", "ייצור", "Frame %d" % f]))
        groups = []       # (name, [children])
        frame_items = []
        for g in range(r.choice([1, 1, 2, 3])):
            count = r.choice([1, 3, 5, 8, 12, 13, 14, 20, 25])
            children = []
            for _ in range(count):
                child = self.cust_prop_list() if r.random() < 0.15 else self.any_item()
                children.append(child)
                frame_items.extend(child.members if isinstance(child, List) else [child])
            groups.append((r.choice(["General", "Stock", "Ürün", "Tab %d" % g, "…"]), children))
        self.wire_frame(frame_items, groups)
        # Place every item: page index within the frame and item index within the page.
        pages = []
        page = 0
        for name, children in groups:
            for start in range(0, len(children), PAGE_SIZE):
                index = 0
                for child in children[start:start + PAGE_SIZE]:
                    for item in (child.members if isinstance(child, List) else [child]):
                        item.frame, item.page, item.index = f, page, index
                        index += 1
                pages.append(children[start:start + PAGE_SIZE])
                page += 1
        self.frames.append((groups, page))
        self.items.extend(frame_items)

    def wire_frame(self, items, groups):
        """Composite parts and list links, within the frame."""
        r = self.rng
        lists = [c for _, children in groups for c in children if isinstance(c, List)]
        targets = [i for i in items if i.in_list is None and i.kind in ("standard", "list")]
        for lst in lists:
            if r.random() < 0.6 and targets:
                target = r.choice(targets)
                if self.odd and r.random() < 0.4:
                    odd = r.choice(["own member", "composite", "other list member"])
                    if odd == "own member":
                        target = lst.members[0] if r.random() < 0.6 else r.choice(lst.members)
                    elif odd == "composite":
                        comps = [i for i in items if i.kind == "composite"]
                        target = r.choice(comps) if comps else target
                    else:
                        target = r.choice([i for i in items if i.in_list])
                lst.link_to = target.tag
                lst.attrs["linkTo"] = target.tag
                target.link_target = True
            elif r.random() < 0.05:
                lst.attrs["linkTo"] = "NoSuchTag"
        comps = [i for i in items if i.kind == "composite"]
        for n, comp in enumerate(comps):
            # Parts name earlier composites only, unless the case is odd: then rings are allowed.
            sources = [i for i in items if i.kind != "composite"] + \
                      (comps if self.odd else comps[:n])
            for _ in range(r.randint(1, 6)):
                roll = r.random()
                if roll < 0.6 and sources:
                    src = r.choice(sources)
                    src.composite_part = True
                    attrs = {}
                    if r.random() < 0.4:
                        attrs["useValue"] = r.choice(["x", "y", "z"])
                    comp.options.append(([src.tag], attrs))
                else:
                    comp.options.append(([r.choice([" - ", ", ", "/", "ß", "⟨ok⟩", "x"])], {}))

    def xml(self):
        out = '<?xml version="1.0" encoding="UTF-8"?>\n<!-- monkey seed %d -->\n' % self.seed
        out += '<Tavik xmlns="urn:tavik:configuration">\n'
        for s in self.settings:
            out += "  <settings%s/>\n" % "".join(" %s=%s" % (k, quoteattr(v)) for k, v in s.items())
        for f, (groups, _) in enumerate(self.frames):
            out += "  <frame name=%s>\n" % quoteattr(self.frame_names[f])
            for name, children in groups:
                out += "    <group name=%s>\n" % quoteattr(name)
                for child in children:
                    if isinstance(child, List):
                        attrs = "".join(" %s=%s" % (k, quoteattr(v)) for k, v in child.attrs.items())
                        out += "      <custPropList%s>\n" % attrs
                        for m in child.members:
                            out += m.xml("        ")
                        out += "      </custPropList>\n"
                    else:
                        out += child.xml("      ")
                out += "    </group>\n"
            out += "  </frame>\n"
        return out + "</Tavik>\n"

    # Documents ---------------------------------------------------------------------------------

    def document(self, title, with_attribute):
        r = self.rng
        configs = []
        for _ in range(r.choice([0, 1, 1, 2, 3, 5])):
            name = r.choice(["Default", "Long", "Kurz", "גרסה", "Conf 🙂", "Maß", "A", "B"])
            if name not in configs:
                configs.append(name)
        props = {}
        for level in [""] + configs:
            pairs = []
            for _ in range(r.randint(0, 6)):
                if self.items and r.random() < 0.7:
                    name = r.choice(self.items).tag
                else:
                    name = "Foreign%d" % r.randrange(5)
                if name not in [p[0] for p in pairs]:
                    pairs.append([name, texts.document_value(r)])
            props[level] = pairs
        doc = {"type": 1 if title.endswith(".sldprt") else 2, "title": title,
               "configurations": configs, "customProperties": props,
               "summaryInfo": {"title": texts.document_value(r), "subject": "", "author": "ß",
                               "keywords": "", "comments": "", "savedBy": ""},
               "massProperties": r.choice([[], [0, 0, 0, 1.2e-5, 0.0031, 0.0324], "error"])}
        if configs:
            doc["activeConfiguration"] = r.choice(configs)
        if with_attribute:
            doc["attributes"] = [{"name": "TavikAttribute", "definition": "pub_Tavik",
                                  "parameters": {"USE_CONFIGS": float(r.random() < 0.6),
                                                 "USE_FRAME": float(r.randrange(len(self.frames)))}}]
        return doc


def generate(seed, odd=None):
    """Builds the case of a seed: its files' texts and what the runner needs to know."""
    gen = Generator(seed, odd).build()
    r = gen.rng
    ext = r.choice([".sldprt", ".sldprt", ".sldasm"])
    main_name = "Main" + ext
    other_name = "Other.sldprt"
    main_doc = gen.document(main_name, r.random() < 0.5)
    other_doc = gen.document(other_name, r.random() < 0.5)
    import actions
    return actions.Case(gen, main_name, main_doc, other_name, other_doc)


if __name__ == "__main__":
    import sys
    c = generate(int(sys.argv[1]))
    c.plan()
    sys.stdout.write(c.gen.xml())
    sys.stdout.write("\n".join(c.render()[0]) + "\n")
