"""The program's icon inside the built executable, read straight from its resource directory:
the group that Explorer, the taskbar and Alt+Tab pick from, and an image for each of its entries.

Needs the windows-release build.
"""
import os
import re
import struct
import unittest

import harness

RT_ICON, RT_GROUP_ICON = 3, 14
SIZES = [16, 24, 32, 48, 256]
BLUE = (255, 150, 100, 255)  # the window's dot, RGB(100,150,255), as BGRA


def icon_id():
    with open(os.path.join(harness.ROOT, "resources", "resource_ids.h"), encoding="utf-8") as handle:
        return int(re.search(r"#define MB_ICON_APP (\d+)", handle.read()).group(1))


class Icon(unittest.TestCase):
    def test_one_group_of_five_sizes_each_with_its_image_of_the_blue_dot(self):
        found = harness.exe_resources()
        self.assertEqual([key for key in found if key[0] == RT_GROUP_ICON], [(RT_GROUP_ICON, icon_id())])
        group = found[(RT_GROUP_ICON, icon_id())]
        reserved, kind, count = struct.unpack_from("<HHH", group)
        self.assertEqual((reserved, kind, len(group)), (0, 1, 6 + 14 * count))
        # GRPICONDIRENTRY: width, height (256 written as 0), colours, reserved, planes, bits,
        # bytes of the image, RT_ICON id.
        entries = [struct.unpack_from("<BBBBHHIH", group, 6 + 14 * i) for i in range(count)]
        self.assertEqual([(width, height) for width, height, *_ in entries], [(size % 256, size % 256) for size in SIZES])
        self.assertEqual(sorted(key[1] for key in found if key[0] == RT_ICON), sorted(entry[7] for entry in entries))
        for size, (_, _, _, _, planes, bits, length, image_id) in zip(SIZES, entries):
            with self.subTest(size=size):
                image = found[(RT_ICON, image_id)]
                self.assertEqual((planes, bits, len(image)), (1, 32, length))
                # A BITMAPINFOHEADER whose height counts the colour rows and the mask rows, then
                # the BGRA rows bottom-up: the middle pixel is the dot's blue, a corner is clear.
                self.assertEqual(struct.unpack_from("<IiiHHI", image), (40, size, 2 * size, 1, 32, 0))
                middle = 40 + 4 * ((size - 1 - size // 2) * size + size // 2)
                self.assertEqual(tuple(image[middle:middle + 4]), BLUE)
                self.assertEqual(image[40 + 3], 0)


if __name__ == "__main__":
    unittest.main()
