"""The application manifest inside the built executable, read straight from its resource
directory: what Windows sees when it starts the program (Wine reads it too, but ignores most of
it, so the starts in the other black-box tests prove only that it does not stop the program).

Needs the windows-release build.
"""
import unittest
import xml.etree.ElementTree as ET

import harness

RT_MANIFEST = 24
CREATEPROCESS_MANIFEST_RESOURCE_ID = 1

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"

SUPPORTED_OS = {
    "{e2011457-1546-43c5-a5fe-008deee3d3f0}",  # Vista
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # 7
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  # 8
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8.1
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  # 10 and 11
}


class Manifest(unittest.TestCase):
    def test_runs_as_the_invoker_on_every_supported_version_with_common_controls_6_and_no_dpi_awareness(self):
        found = harness.exe_resources()
        manifests = [key for key in found if key[0] == RT_MANIFEST]
        self.assertEqual(manifests, [(RT_MANIFEST, CREATEPROCESS_MANIFEST_RESOURCE_ID)])
        text = found[manifests[0]]
        root = ET.fromstring(text)
        self.assertEqual((root.tag, root.get("manifestVersion")), (ASM_V1 + "assembly", "1.0"))

        level = f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/{ASM_V3}requestedExecutionLevel"
        self.assertEqual([(e.get("level"), e.get("uiAccess")) for e in root.findall(level)], [("asInvoker", "false")])

        supported = f"{COMPATIBILITY}compatibility/{COMPATIBILITY}application/{COMPATIBILITY}supportedOS"
        self.assertEqual(sorted(e.get("Id") for e in root.findall(supported)), sorted(SUPPORTED_OS))

        identity = f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity"
        identities = [e.attrib for e in root.findall(identity)]
        self.assertEqual(len(identities), 1)
        self.assertIn(identities[0].pop("processorArchitecture", None), ("amd64", "*"))
        self.assertEqual(identities[0], {"type": "win32", "name": "Microsoft.Windows.Common-Controls",
                                         "version": "6.0.0.0", "publicKeyToken": "6595b64144ccf1df",
                                         "language": "*"})

        # The fixed pixel layout would shrink on a high-DPI screen; Windows scales it instead.
        names = {element.tag.rsplit("}", 1)[-1] for element in root.iter()}
        self.assertFalse(names & {"dpiAware", "dpiAwareness", "windowsSettings"}, names)
        self.assertNotIn(b"dpiAware", text)


if __name__ == "__main__":
    unittest.main()
