# The FreeCAD macro data/freecad/TavikEdit.FCMacro without FreeCAD's windows, run by freecadcmd:
# real FreeCAD documents saved, closed and opened again, with tavik-host stood in for by a
# function, and the waiting on a real program that fails to start, fails, or is stopped.
#   TAVIK_MACRO      the macro file
#   TAVIK_TEST_TMP   the scratch folder

import importlib.machinery
import importlib.util
import os
import shutil
import stat
import sys
import tempfile
import time
import unittest
import zipfile

import FreeCAD as App


def load_macro():
    loader = importlib.machinery.SourceFileLoader("tavik_edit_macro", os.environ["TAVIK_MACRO"])
    module = importlib.util.module_from_spec(importlib.util.spec_from_loader(loader.name, loader))
    module.TAVIK_MACRO_UNDER_TEST = True
    loader.exec_module(module)
    return module


macro = load_macro()


def document_xml(path):
    with zipfile.ZipFile(path) as archive:
        return archive.read("Document.xml").decode("utf-8")


class MacroTest(unittest.TestCase):
    def setUp(self):
        base = os.environ.get("TAVIK_TEST_TMP") or tempfile.gettempdir()
        os.makedirs(base, exist_ok=True)
        self.dir = tempfile.mkdtemp(prefix="macro-", dir=base)
        self.told = []
        for name in App.listDocuments():
            App.closeDocument(name)

    def tearDown(self):
        for name in App.listDocuments():
            App.closeDocument(name)
        shutil.rmtree(self.dir)

    def part(self, name, objects):
        """A document saved to DIR/name.FCStd holding a group per object name; left open and active."""
        doc = App.newDocument(name)
        for obj in objects:
            doc.addObject("App::DocumentObjectGroup", obj)
        doc.saveAs(os.path.join(self.dir, name + ".FCStd"))
        App.setActiveDocument(doc.Name)
        return doc

    def test_saves_runs_the_editor_on_the_file_and_reloads_only_after_a_save(self):
        # What the editor will have written: another file put in the document's place.
        edited = self.part("Edited", ["Edited"])
        edited_path = edited.FileName
        App.closeDocument(edited.Name)
        doc = self.part("Bracket", ["Before"])
        path = doc.FileName
        doc.addObject("App::DocumentObjectGroup", "Unsaved")

        calls = []

        def done(command):
            calls.append(command)
            # The macro saved the document before the editor opened on the file.
            self.assertIn("Unsaved", document_xml(path))
            shutil.copyfile(edited_path, path)
            return 0, ""

        reloaded = macro.edit_active_document(App, "/opt/tavik/tavik-host", done, self.told.append)
        self.assertEqual(calls, [["/opt/tavik/tavik-host", "--edit", path]])
        self.assertEqual(self.told, [])
        self.assertIsNotNone(reloaded)
        self.assertEqual(App.ActiveDocument.Name, reloaded.Name)
        self.assertEqual(reloaded.FileName, path)
        self.assertIsNotNone(reloaded.getObject("Edited"))
        self.assertEqual(len(App.listDocuments()), 1)

        # Closed without Done, or failed: told why, nothing reloaded, the same document active.
        for status, err, words in [(3, "", "closed without Done"),
                                   (4, "tavik-host: " + path + ": no such file", path + ": no such file"),
                                   (-15, "", "signal 15")]:
            self.told.clear()
            before = App.ActiveDocument
            self.assertIsNone(macro.edit_active_document(App, "tavik-host", lambda c: (status, err), self.told.append))
            self.assertIs(App.ActiveDocument, before)
            self.assertEqual(len(self.told), 1)
            self.assertIn(words, self.told[0])
            self.assertIn("unchanged", self.told[0])

    def test_refuses_without_a_file_or_a_program(self):
        unsaved = App.newDocument("Unsaved")
        App.setActiveDocument(unsaved.Name)
        ran = []
        self.assertIsNone(macro.edit_active_document(App, "tavik-host", ran.append, self.told.append))
        self.assertEqual(ran, [])
        self.assertIn("never been saved", self.told[-1])

        self.part("Plate", [])
        self.assertIsNone(macro.edit_active_document(App, None, ran.append, self.told.append))
        self.assertEqual(ran, [])
        self.assertIn("TAVIK_HOST", self.told[-1])

        # Where the program is looked for: the variable, then PATH, then the macro's folder.
        beside = os.path.join(self.dir, "tavik-host")
        with open(beside, "w") as f:
            f.write("#!/bin/sh\n")
        nowhere = lambda name: None
        self.assertEqual(macro.find_host({"TAVIK_HOST": "/x/host"}, self.dir, lambda n: "/usr/bin/" + n), "/x/host")
        self.assertEqual(macro.find_host({}, self.dir, lambda n: "/usr/bin/" + n), "/usr/bin/tavik-host")
        self.assertIsNone(macro.find_host({}, self.dir, nowhere))  # not executable
        os.chmod(beside, os.stat(beside).st_mode | stat.S_IXUSR)
        self.assertEqual(macro.find_host({"TAVIK_HOST": ""}, self.dir, nowhere), beside)

    def test_never_waits_on_a_program_that_cannot_start_or_is_stopped(self):
        self.part("Hinge", [])
        missing = os.path.join(self.dir, "no-such-host")
        self.assertIsNone(macro.edit_active_document(App, missing, macro.run_and_wait, self.told.append))
        self.assertIn("could not be started", self.told[-1])
        self.assertIn(missing, self.told[-1])

        self.assertEqual(macro.run_and_wait(["sh", "-c", "echo 'it: failed' >&2; exit 4"]), (4, "it: failed"))
        started = time.monotonic()
        status, _ = macro.run_and_wait(["sleep", "60"], lambda: time.monotonic() - started < 0.3)
        self.assertLess(time.monotonic() - started, 30)
        self.assertNotEqual(status, 0)


# freecadcmd runs this file under a module name of its own, and an exception does not change its
# exit status: the result does.
result = unittest.TextTestRunner(verbosity=2).run(unittest.defaultTestLoader.loadTestsFromTestCase(MacroTest))
sys.exit(0 if result.wasSuccessful() else 1)
