"""Texts for the random cases: words in several scripts, emoji, ß, long runs, and prototypes."""

WORDS = ["Steel", "Bracket", "Straße", "ß", "Maß", "שלום", "עולם", "مرحبا", "سلام", "🔧", "👩‍🔧",
         "🙂", "Ærø", "İstanbul", "x", "A-1", "10x1", "  padded  ", "quote\"d", "back\\slash",
         "<tag>", "&amp;", "Ω", "中文", "e\u0301", "0042", "S235JR"]


def word(r):
    return r.choice(WORDS)


def option_text(r):
    """A text for an option or a display name: never empty, no line breaks."""
    return " ".join(word(r) for _ in range(r.randint(1, 3)))


def typed_text(r):
    """What a person may type: no line breaks; sometimes long; emoji and ß included."""
    roll = r.random()
    if roll < 0.1:
        return ""
    if roll < 0.18:
        text = (word(r) + " ") * r.randint(20, 60)
    else:
        text = option_text(r)
    return text


def document_value(r):
    """A stored property value: also line breaks, right-to-left runs and long texts."""
    roll = r.random()
    if roll < 0.1:
        return ""
    if roll < 0.2:
        return option_text(r) + r.choice(["\n", "\r\n"]) + option_text(r)
    if roll < 0.27:
        return "x" * r.randint(256, 3000)
    if roll < 0.32:
        return "\u202bשלום\u202c 🙂 ß"
    return option_text(r)


PROTOTYPES = ["###-????", "P####", "*#", "[A-Z][A-Z]*", "?*", "#*x#*", "[!0-9]*", "A?[a-c]#", "*"]


def prototype(r):
    return r.choice(PROTOTYPES)


def matching(r, proto):
    """A text that fits the prototype read as a pattern."""
    out = []
    i = 0
    while i < len(proto):
        c = proto[i]
        if c == "#":
            out.append(str(r.randrange(10)))
        elif c == "?":
            out.append(r.choice("AbZßש"))
        elif c == "*":
            out.append(r.choice(["", "x", "Straße", "12"]))
        elif c == "[":
            end = proto.index("]", i)
            body = proto[i + 1:end]
            if body.startswith("!"):
                out.append("Q")
            elif len(body) == 3 and body[1] == "-":
                out.append(chr(r.randint(ord(body[0]), ord(body[2]))))
            else:
                out.append(body[0])
            i = end
        else:
            out.append(c)
        i += 1
    return "".join(out)
