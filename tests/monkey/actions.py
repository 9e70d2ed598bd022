"""The user's actions of a random case, and their rendering into tavik-host script lines.

A case plans abstract actions ("type into this item in this slot", "open the value menu of that
item", ...) on controls a person can reach: fields shown and enabled, the member a linked list
shows, a serial number's menu once a number is drawn. Rendering walks them with a model of what
the editor shows (frame, tab of each frame, slot, whether configurations are in use, whether the
counter exists) and puts in the navigation and the answers each action needs. When the editor
still refuses an action (a control not shown, a menu entry that cannot be chosen), the runner
drops the action and renders again; when a message box asks a question, it queues an answer in
front of the action that raised it.
"""

import texts

ANSWERS = ["Yes", "No", "Cancel", "OK"]


def quote(text):
    return '"' + text.replace("\\", "\\\\").replace('"', '\\"').replace("\n", "\\n") \
        .replace("\r", "\\r") + '"'


class Action:
    def __init__(self, kind, item=None, slot=0, **args):
        self.kind = kind
        self.item = item          # an Item of the generator, or None
        self.slot = slot
        self.args = args
        self.answers = []         # answers queued before the action, added by the runner
        self.files = []
        self.dropped = False


class Case:
    def __init__(self, gen, main_name, main_doc, other_name, other_doc):
        self.gen = gen
        self.seed = gen.seed
        self.main_name = main_name
        self.main_doc = main_doc
        self.other_name = other_name
        self.other_doc = other_doc
        self.slots = 1 + len(main_doc["configurations"])
        self.actions = []
        self.tail_drops = set()   # tail lines the editor refused (fields that have no control)
        self.tail_answers = []    # answers queued before Done, added by the runner

    def apply_model(self, model):
        """Takes each item's place and settings from the model the configuration loads into (as
        tavik-check --json prints it): page splits, list membership and what resolution changed
        decide the tags, and they are the editor's to decide."""
        loaded = {}
        for f, frame in enumerate(model.get("frames", [])):
            for g, group in enumerate(frame.get("groups", [])):
                for i, it in enumerate(group.get("items", [])):
                    loaded[(f, it["CPTag"])] = (g, i, it)
        names = {0: "onlyDocument", 1: "onlyConfigurations", 2: "both"}
        for item in self.gen.items:
            found = loaded.get((item.frame, item.tag))
            if not found:
                continue
            item.page, item.index, it = found
            item.location = names.get(it.get("location"), "both")
            item.visible = it.get("visible", item.visible)
            item.editable = it.get("editable", item.editable)
            item.link_target = item.link_target or it.get("isListTarget", False)
            if not it.get("inList", True):
                item.in_list = None
            if item.kind != "serial":
                item.kind = it.get("type", item.kind)

    # Planning ----------------------------------------------------------------------------------

    def plan(self):
        r = self.gen.rng
        items = self.gen.items
        # The list linked to each target, by the target's tag.
        self.lists_linked = {i.in_list.link_to: i.in_list for i in items
                             if i.in_list is not None and i.in_list.link_to}
        acts = self.actions
        if r.random() < 0.4:
            acts.append(Action("open_other"))
        acts.append(Action("command", answer=r.choice(["Yes", "No", None])))
        acts.append(Action("use_configs", value=1))
        for _ in range(r.randint(20, 70)):
            acts.append(self.random_action(r, items))
        if self.gen.odd:
            # Typing into the target of a link is what sets a ring going.
            for target in [i for i in items if i.link_target]:
                text = texts.matching(r, target.prototype) if target.prototype else "x"
                acts.insert(r.randint(3, len(acts)), Action("type", target, self.slot_for(target, 0),
                                                            text=text, leave=True))
        self.done_frame = r.randrange(len(self.gen.frames))
        acts.append(Action("frame", frame=self.done_frame))

    def slot_for(self, item, slot):
        """A slot in which the item has a field: the document's only, or the configurations'."""
        if item.location == "onlyDocument":
            return 0
        if item.location == "onlyConfigurations" and self.slots > 1:
            return max(1, slot)
        return slot

    def prototype_fix(self, r, item, matching):
        """What to type after a text the field's prototype may refuse, or None. A refused text
        holds the editor on that field (no tab, frame or configuration change) until it leaves
        with a text that matches: an empty one where the length or capitals may change what
        was typed."""
        if not item.prototype or (matching and not item.all_caps and item.length is None):
            return None
        return "" if item.all_caps or item.length is not None else texts.matching(r, item.prototype)

    def random_action(self, r, items):
        # Only controls a person can reach: a field that is shown and enabled, not a list member
        # the list hides. Mostly fields a person edits; now and then any such field.
        usable = [i for i in items if i.visible and i.editable and i.in_list is None]
        editable = [i for i in usable if i.kind in ("standard", "list")]
        item = r.choice(editable if editable and r.random() < 0.9 else usable) if usable else None
        slot = self.slot_for(item, r.randrange(self.slots)) if item else 0
        roll = r.random()
        if item is None or roll < 0.04:
            return Action("use_configs", value=r.randint(0, 1))
        if roll < 0.08:
            return Action("frame", frame=r.randrange(len(self.gen.frames)))
        if roll < 0.12:
            return Action("slot", slot=slot)
        if roll < 0.45:
            if item.kind == "list" and r.random() < 0.6:
                lst = self.lists_linked.get(item.tag)
                member = None
                shown = min(len(item.options), len(lst.members)) if lst else 0
                if shown and r.random() < 0.5:
                    # The target's entry k shows member k of the list linked to it: type there.
                    k = r.randrange(shown)
                    if lst.members[k].visible and lst.members[k].editable and lst.members[k].kind == "standard":
                        member = lst.members[k]
                        return Action("choose", item, slot, index=k, member=member, text=texts.typed_text(r),
                                      fix=self.prototype_fix(r, member, False))
                return Action("choose", item, slot, index=r.randint(-1, len(item.options) - 1))
            matching = item.prototype and r.random() < 0.6
            text = texts.matching(r, item.prototype) if matching else texts.typed_text(r)
            return Action("type", item, slot, text=text, leave=r.random() < 0.5,
                          fix=self.prototype_fix(r, item, matching))
        if roll < 0.55:
            return Action("value_menu", item, slot, entry=r.choice(["copy_value", "paste_value", "clear_value"]))
        if roll < 0.65:
            serials = [i for i in items if i.kind == "serial" and i.visible]
            if serials:
                it = r.choice(serials)
                slot = self.slot_for(it, slot)
                if r.random() < 0.5:
                    # A counter that does not exist yet is offered to be created.
                    return Action("get_next", it, slot, answer="Yes" if r.random() < 0.8 else "No")
                entry = r.choice(["clear_Ser_Num", "set", "zero", "setLocal"])
                # The dialog takes only a text as long as the prototype, escapes included: a
                # prototype with an escaped character refuses the text the escape was taken from,
                # and an item without one refuses every text. Setting the index takes only a
                # number the increment reaches.
                valid = r.random() < 0.8 and bool(it.prototype) and "\\" not in it.prototype \
                    and (entry == "setLocal" or it.attrs.get("incVal", "1") == "1")
                text = texts.matching(r, (it.prototype or "####").replace("\\", "")) if valid \
                    else texts.typed_text(r)
                a = Action("serial_menu", it, slot, entry=entry, text=text, valid=valid)
                # The menu opens on a number drawn: Get Next first (it creates the counter when
                # there is none yet, and does nothing on a field that holds a number). Reset
                # asks to be sure. An answer no box takes stays queued: every question here
                # is Yes or No, so a spare one never fails a line.
                if entry == "zero":
                    a.args["answer"] = r.choice(["Yes", "No"])
                return a
        if roll < 0.7:
            return Action("scratch_menu", entry=r.choice(["save_scratch", "load_scratch", "clear_scratchpad"]))
        if roll < 0.75:
            return Action("clear_menu", entry=r.choice(["clearAllCPValues", "clearConfCPValues"]))
        if roll < 0.8:
            return Action("button", name=r.choice(["Scratch", "Defaults", "Clear", "Purge"]))
        if roll < 0.84:
            configs = len(self.other_doc["configurations"])
            return Action("copy", index=r.randrange(configs + 1),
                          button=r.choice(["done", "copyScratch", "cancel"]), use=r.randint(0, 1))
        if roll < 0.9:
            return Action("print", item, slot)
        return Action("props")

    # Rendering ---------------------------------------------------------------------------------

    def plain_items(self):
        return [i for i in self.gen.items if i.plain and i.visible and i.editable]

    def field_slots(self, item):
        if item.location == "onlyDocument":
            return [0]
        if item.location == "onlyConfigurations":
            return list(range(1, self.slots))
        return list(range(self.slots))

    def render(self):
        """The script's lines, and for each line the action it belongs to (None for the tail)."""
        lines, owners = [], []
        frames = len(self.gen.frames)
        # counter: whether a Yes to "create the counter" is queued already. The serial items of a
        # case share one counter (no key item), so that question comes once in a run; answers
        # queued beyond it would wait for the next question and give it the wrong one.
        state = {"frame": None, "tab": [0] * frames, "slot": 0, "use": None, "counter": False}

        def draw(tag, answer, owner):
            if not state["counter"]:
                emit("answer %s" % answer, owner)
                state["counter"] = answer == "Yes"
            emit("click getNext %s" % tag, owner)

        def emit(line, owner):
            lines.append(line)
            owners.append(owner)

        def go_to(item, slot, owner):
            f = item.frame
            if state["frame"] != f:
                emit("select frameSelect %d" % f, owner)
                state["frame"] = f
            if state["tab"][f] != item.page:
                emit("tab %d %d" % (f, item.page + 1), owner)
                state["tab"][f] = item.page
            if slot != state["slot"]:
                if not state["use"]:
                    emit("select useConfigs 1", owner)
                    state["use"] = True
                emit("select configsList %d" % slot, owner)
                state["slot"] = slot
            return item.field_tag(slot)

        for n, a in enumerate(self.actions):
            if a.dropped:
                continue
            for ans in a.answers:
                emit("answer %s" % ans, n)
            for f in a.files:
                emit("file %s" % f, n)
            k = a.kind
            if k == "open_other":
                emit("open %s" % self.other_name, n)
                emit("activate %s" % quote(self.main_name), n)
            elif k == "command":
                if a.args["answer"]:
                    emit("answer %s" % a.args["answer"], n)
                emit("command", n)
            elif k == "use_configs":
                emit("select useConfigs %d" % a.args["value"], n)
                state["use"] = bool(a.args["value"])
                if not state["use"]:
                    state["slot"] = 0
            elif k == "frame":
                emit("select frameSelect %d" % a.args["frame"], n)
                state["frame"] = a.args["frame"]
            elif k == "slot":
                if not state["use"]:
                    emit("select useConfigs 1", n)
                    state["use"] = True
                emit("select configsList %d" % a.slot, n)
                state["slot"] = a.slot
            elif k == "type":
                tag = go_to(a.item, a.slot, n)
                emit("type %s %s" % (tag, quote(a.args["text"])), n)
                if self.expect_typed(a):
                    emit("expect %s %s" % (tag, quote(a.args["text"])), n)
                if a.args.get("fix") is not None:
                    emit("type %s %s" % (tag, quote(a.args["fix"])), n)
                if a.args["leave"]:
                    emit("leave", n)
            elif k == "choose":
                tag = go_to(a.item, a.slot, n)
                emit("choose %s %d" % (tag, a.args["index"]), n)
                if a.args.get("member") is not None:
                    member_tag = a.args["member"].field_tag(a.slot)
                    emit("type %s %s" % (member_tag, quote(a.args["text"])), n)
                    if a.args["fix"] is not None:
                        emit("type %s %s" % (member_tag, quote(a.args["fix"])), n)
            elif k == "value_menu":
                tag = go_to(a.item, a.slot, n)
                emit("rightclick field %s" % tag, n)
                emit("menu %s" % a.args["entry"], n)
            elif k == "get_next":
                draw(go_to(a.item, a.slot, n), a.args["answer"], n)
            elif k == "serial_menu":
                tag = go_to(a.item, a.slot, n)
                draw(tag, "Yes", n)
                if a.args.get("answer"):
                    emit("answer %s" % a.args["answer"], n)
                emit("rightclick getNext %s" % tag, n)
                emit("menu %s" % a.args["entry"], n)
                if a.args["entry"] in ("set", "setLocal"):
                    emit("settext Text %s" % quote(a.args["text"]), n)
                    emit("click set", n)
                    if not a.args["valid"]:
                        emit("click cancel", n)
            elif k == "scratch_menu":
                emit("rightclick Scratch", n)
                emit("menu %s" % a.args["entry"], n)
            elif k == "clear_menu":
                emit("rightclick Clear", n)
                emit("menu %s" % a.args["entry"], n)
            elif k == "button":
                emit("click %s" % a.args["name"], n)
            elif k == "copy":
                emit("file %s" % self.other_name, n)
                emit("click Copy", n)
                emit("select list %d" % a.args["index"], n)
                emit("click %s" % a.args["button"], n)
            elif k == "print":
                emit("print %s" % a.item.field_tag(a.slot), n)
            elif k == "props":
                emit("props", n)
            elif k == "leave":
                emit("leave", n)
        # The tail: what every field holds before Done, then Done, save, and what was stored.
        for item in self.plain_items():
            for slot in self.field_slots(item):
                if (item.field_tag(slot)) not in self.tail_drops:
                    emit("print %s" % item.field_tag(slot), None)
        for ans in self.tail_answers:
            emit("answer %s" % ans, None)
        emit("click done", None)
        emit("save", None)
        emit("props", None)
        # Properties the configuration does not name stay as they were.
        names = {i.tag for i in self.gen.items}
        for name, value in self.main_doc["customProperties"].get("", []):
            if name not in names:
                emit("expect-prop \"\" %s %s" % (quote(name), quote(value)), None)
        return lines, owners

    def expect_typed(self, a):
        """Whether the field must show exactly what was typed."""
        it = a.item
        return (it.plain and it.kind == "standard" and not it.all_caps and not it.prototype
                and it.length is None and it.editable and not it.composite_part)

    def reopen_script(self):
        lines = ["answer No", "command"]
        for item in self.plain_items():
            for slot in self.field_slots(item):
                if item.field_tag(slot) not in self.tail_drops:
                    lines.append("print %s" % item.field_tag(slot))
        lines.append("click Quit")
        return lines
