"""The skinned controls on screen, driven from outside through the skin
gallery: message box results per type and button, Enter/Escape leaving the
box open, cut window corners, no key colour anywhere, and the image button's
faces on hover, press and disable. Screenshots go to the artifacts folder."""
import json
import os
import subprocess
import time

import pytest

from wine import wait_until

HERE = os.path.dirname(os.path.abspath(__file__))
SKIN_DIR = os.path.join(os.path.dirname(os.path.dirname(HERE)), "res", "skin")
SCREEN_W, SCREEN_H = 1280, 800
BACKDROP = (0, 160, 0)
MAGENTA = (255, 0, 255)
GALLERY_TITLE = "皮肤画廊"
BTN_PLAIN, BTN_DISABLED = 1101, 1102
BOX_BUTTON_OF_TYPE = {0: 1110, 1: 1111, 4: 1112, 7: 1113}


# ---- helpers ------------------------------------------------------------------

def gallery_exe(wine):
    return os.path.join(os.path.dirname(wine.exe), "skin_gallery.exe")


class Gallery:
    def __init__(self, wine, *args):
        self.wine = wine
        self.proc = wine.start([str(a) for a in args], exe=gallery_exe(wine))

    def close(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait(timeout=10)
        # Its windows go with the Windows process; later screenshots must not see them.
        wait_until(lambda: not self.wine.windows(title=GALLERY_TITLE, visible=True), 15,
                   what="gallery windows gone")


@pytest.fixture
def gallery(wine):
    opened = []

    def open_gallery(*args):
        g = Gallery(wine, *args)
        opened.append(g)
        return g

    yield open_gallery
    for g in opened:
        g.close()


def children(wine, parent_hwnd):
    return [w for w in json.loads(wine.probe("list")) if w["parent"] == parent_hwnd]


def child(wine, parent_hwnd, ctrl_id):
    found = [w for w in children(wine, parent_hwnd) if w["id"] == ctrl_id]
    return found[0] if found else None


def x_window(wine, title):
    out = subprocess.run(["xdotool", "search", "--name", title], env=wine.env, capture_output=True,
                         text=True, timeout=30).stdout.split()
    return out[-1] if out else None


class Shot:
    """A screenshot as RGB bytes."""

    def __init__(self, wine, name):
        self.path = wine.screenshot(name)
        raw = subprocess.run(["convert", self.path, "-depth", "8", "rgb:-"], capture_output=True,
                             timeout=60, check=True).stdout
        assert len(raw) == SCREEN_W * SCREEN_H * 3, f"unexpected screenshot size {len(raw)}"
        self.raw = raw

    def at(self, x, y):
        i = (y * SCREEN_W + x) * 3
        return tuple(self.raw[i:i + 3])

    def count(self, colour):
        r, g, b = colour
        n = 0
        raw = self.raw
        for i in range(0, len(raw), 3):
            if raw[i] == r and raw[i + 1] == g and raw[i + 2] == b:
                n += 1
        return n


def flattened_frames(image_id, frames=4):
    """The strip as the loader flattens it: frames[k][y][x] = (r, g, b) or None for key pixels."""
    path = os.path.join(SKIN_DIR, f"{image_id}.png")
    size = subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True,
                          check=True, timeout=30).stdout.split()
    w, h = int(size[0]), int(size[1])
    raw = subprocess.run(["convert", path, "-depth", "8", "rgba:-"], capture_output=True, check=True,
                         timeout=30).stdout
    fw = w // frames
    out = []
    for k in range(frames):
        rows = []
        for y in range(h):
            row = []
            for x in range(fw):
                i = (y * w + k * fw + x) * 4
                r, g, b, a = raw[i:i + 4]
                if a == 0:
                    row.append(None)
                elif a == 255:
                    row.append((r, g, b))
                else:
                    row.append(tuple((a * (c - 255) + 65025) // 255 for c in (r, g, b)))
            rows.append(row)
        out.append(rows)
    return out


def face_mismatches(shot, rect, frame, columns):
    """Pixels of the button at `rect` in `columns` that differ from `frame` (key pixels skipped)."""
    left, top = rect[0], rect[1]
    bad = 0
    for y, row in enumerate(frame):
        for x in columns:
            want = row[x]
            if want is not None and shot.at(left + x, top + y) != want:
                bad += 1
    return bad


def which_face(shot, rect, frames, columns):
    scores = [face_mismatches(shot, rect, f, columns) for f in frames]
    best = min(range(len(frames)), key=lambda k: scores[k])
    return best, scores


def open_gallery_window(wine, gallery, *args):
    g = gallery(*args)
    win = wine.wait_window(title=GALLERY_TITLE, visible=True, toplevel=True)
    time.sleep(1.0)  # first paint of every control
    return g, win


# ---- message box results ------------------------------------------------------------

CASES = [
    (0, 5000, 1), (0, 50000, 2),
    (1, 5000, 1), (1, 5001, 2), (1, 50000, 2),
    (4, 5000, 6), (4, 5001, 7), (4, 50000, 2),
    (7, 5000, 1), (7, 50000, 2),
]


@pytest.mark.parametrize("box_type,button,result", CASES)
def test_each_box_type_answers_per_button(wine, gallery, box_type, button, result):
    title = f"画廊消息{box_type}-{button}"
    g = gallery("--msgbox", box_type, "--title", title)
    box = wine.wait_window(title=title, visible=True, toplevel=True)
    ids = sorted(w["id"] for w in children(wine, box["hwnd"]))
    assert ids == ([5000, 5001, 50000] if box_type in (1, 4) else [5000, 50000])
    wine.probe("click", child(wine, box["hwnd"], button)["hwnd"])
    assert g.proc.wait(timeout=30) == result


@pytest.mark.parametrize("box_type,button,result", [(4, 5001, 7), (1, 50000, 2)])
def test_commands_through_the_probe_answer_the_same(wine, gallery, box_type, button, result):
    title = f"画廊命令{box_type}-{button}"
    g = gallery("--msgbox", box_type, "--title", title)
    box = wine.wait_window(title=title, visible=True, toplevel=True)
    wine.probe("command", box["hwnd"], button)
    assert g.proc.wait(timeout=30) == result


def test_gallery_button_opens_the_box_and_shows_the_answer(wine, gallery, tmp_path):
    log = tmp_path / "answers.txt"
    g, win = open_gallery_window(wine, gallery, "--log", str(log), "--title", "画廊提问")
    wine.probe("command", win["hwnd"], BOX_BUTTON_OF_TYPE[4])
    box = wine.wait_window(title="画廊提问", visible=True, toplevel=True)
    assert box["owner"] == win["hwnd"]
    assert not wine.windows(title=GALLERY_TITLE, visible=True)[0]["enabled"], "owner disabled while asking"
    wine.probe("click", child(wine, box["hwnd"], 5000)["hwnd"])
    wait_until(lambda: log.exists() and log.read_text().strip(), 15, what="answer log")
    assert log.read_text().strip() == "type 4 -> 6"
    assert wine.windows(title=GALLERY_TITLE, visible=True)[0]["enabled"], "owner enabled again"


def test_link_label_reports_its_click_to_the_owner(wine, gallery, tmp_path):
    log = tmp_path / "link.txt"
    g, win = open_gallery_window(wine, gallery, "--log", str(log))
    link = child(wine, win["hwnd"], 1105)["rect"]
    # On the text (right of the 14-pixel image), in the caption band: a click, not a drag.
    wine.xdotool("mousemove", link[0] + 40, link[1] + 8)
    wine.xdotool("click", "1")
    wait_until(lambda: log.exists() and log.read_text().strip(), 15, what="link click")
    assert log.read_text().split() == ["link"]
    assert gallery_rect(wine) == win["rect"], "the click did not move the window"


# ---- keys -------------------------------------------------------------------

def click_into(wine, rect, dx, dy):
    wine.xdotool("mousemove", rect[0] + dx, rect[1] + dy)
    wine.xdotool("click", "1")


def test_enter_and_escape_leave_the_box_open(wine, gallery):
    if wine.demo:
        # Control: in this session real keys do reach a framework dialog (Return ends it with 1).
        demo = wine.start([], exe=wine.demo)
        win = wine.wait_window(title="框架对话框", visible=True)
        click_into(wine, win["rect"], 40, (win["rect"][3] - win["rect"][1]) // 3)
        xid = wait_until(lambda: x_window(wine, "框架对话框"), 10, what="X window")
        wine.xdotool("key", "--window", xid, "Return")
        assert demo.wait(timeout=30) == 1

    title = "画廊按键"
    g = gallery("--msgbox", 4, "--title", title)
    box = wine.wait_window(title=title, visible=True, toplevel=True)
    # Into the body between caption band and text: neither caption nor button.
    click_into(wine, box["rect"], 12, 42)
    xid = wait_until(lambda: x_window(wine, title), 10, what="X window of the box")
    for key in ("Return", "Escape", "KP_Enter", "Return"):
        wine.xdotool("key", "--window", xid, key)
        time.sleep(0.3)
    with pytest.raises(subprocess.TimeoutExpired):
        g.proc.wait(timeout=2)
    assert wine.windows(title=title, visible=True)
    wine.screenshot("skin-msgbox-after-keys.png")
    wine.probe("click", child(wine, box["hwnd"], 5001)["hwnd"])
    assert g.proc.wait(timeout=30) == 7


# ---- pictures ---------------------------------------------------------------

def assert_cut_corners(shot, rect, what):
    left, top, right, bottom = rect
    r = right - 1
    for x, y in [(left, top), (left + 2, top), (left + 1, top + 1), (left, top + 2),
                 (r, top), (r - 2, top), (r - 1, top + 1), (r, top + 2)]:
        assert shot.at(x, y) == BACKDROP, f"{what}: ({x - left},{y - top}) should be cut away, is {shot.at(x, y)}"
    for x, y in [(left + 3, top), (left + 2, top + 1), (left + 1, top + 2), (left, top + 3),
                 (r - 3, top), (r, top + 3), (left, bottom - 1), (r, bottom - 1)]:
        assert shot.at(x, y) != BACKDROP, f"{what}: ({x - left},{y - top}) belongs to the window"


def test_skinned_windows_have_cut_corners_and_no_key_colour(wine, gallery):
    g, win = open_gallery_window(wine, gallery, "--backdrop")
    wine.xdotool("mousemove", 5, 790)
    shot = Shot(wine, "skin-gallery.png")
    assert_cut_corners(shot, win["rect"], "gallery")
    assert shot.count(MAGENTA) == 0, "magenta on screen"
    # The progress bar at 50 shows fill and track (both differ from the backdrop).
    bar = child(wine, win["hwnd"], 1107)["rect"]
    assert bar[2] - bar[0] == 390 and bar[3] - bar[1] == 21
    mid = (bar[1] + bar[3]) // 2
    fill, track = shot.at(bar[0] + 60, mid), shot.at(bar[0] + 300, mid)
    assert fill != track

    g.close()

    # The message box alone over the backdrop.
    b = gallery("--msgbox", 1, "--title", "画廊角盒", "--backdrop")
    box = wine.wait_window(title="画廊角盒", visible=True, toplevel=True)
    time.sleep(1.0)
    shot = Shot(wine, "skin-msgbox.png")
    assert_cut_corners(shot, box["rect"], "message box")
    assert shot.count(MAGENTA) == 0, "magenta on screen"
    # Text drawn from y = 55 in the box: dark pixels in that band.
    l, t, r, _ = box["rect"]
    dark = sum(1 for y in range(t + 55, t + 70) for x in range(l + 5, r - 5) if max(shot.at(x, y)) < 100)
    assert dark > 20, "no message text at y = 55"
    wine.probe("click", child(wine, box["hwnd"], 50000)["hwnd"])
    assert b.proc.wait(timeout=30) == 2


def test_button_faces_follow_hover_press_and_disable(wine, gallery):
    g, win = open_gallery_window(wine, gallery, "--backdrop")
    frames = flattened_frames(133)
    plain = child(wine, win["hwnd"], BTN_PLAIN)["rect"]
    disabled = child(wine, win["hwnd"], BTN_DISABLED)["rect"]
    assert plain[2] - plain[0] == 57 and plain[3] - plain[1] == 23
    # The caption sits in the middle; the outer columns show the bare face.
    cols = list(range(0, 8)) + list(range(49, 57))

    def faces(name):
        shot = Shot(wine, name)
        return which_face(shot, plain, frames, cols), which_face(shot, disabled, frames, cols)

    wine.xdotool("mousemove", 5, 790)
    time.sleep(0.5)
    (p, ps), (d, ds) = faces("skin-button-normal.png")
    assert (p, ps[p]) == (0, 0), ps
    assert (d, ds[d]) == (3, 0), ds

    # Near the button's top-left so that its tooltip cannot cover the face.
    wine.xdotool("mousemove", plain[0] + 12, plain[1] + 4)
    wine.xdotool("mousemove", plain[0] + 14, plain[1] + 5)
    time.sleep(0.5)
    (p, ps), _ = faces("skin-button-hover.png")
    assert (p, ps[p]) == (1, 0), ps
    # Resting on it brings up its tooltip.
    wait_until(lambda: wine.windows(cls="tooltips_class32", visible=True), 10, what="tooltip shown")

    wine.xdotool("mousedown", "1")
    time.sleep(0.5)
    (p, ps), _ = faces("skin-button-pressed.png")
    assert (p, ps[p]) == (2, 0), ps

    # Dragged off while held: the pressed face stays.
    wine.xdotool("mousemove", plain[0] + 30, plain[3] + 60)
    time.sleep(0.5)
    (p, ps), _ = faces("skin-button-pressed-dragged-off.png")
    assert (p, ps[p]) == (2, 0), ps
    wine.xdotool("mouseup", "1")
    time.sleep(0.5)
    (p, ps), _ = faces("skin-button-released.png")
    assert (p, ps[p]) == (0, 0), ps

    # Hovering the disabled button keeps its disabled face.
    wine.xdotool("mousemove", disabled[0] + 12, disabled[1] + 4)
    wine.xdotool("mousemove", disabled[0] + 14, disabled[1] + 5)
    time.sleep(0.5)
    _, (d, ds) = faces("skin-button-disabled-hover.png")
    assert (d, ds[d]) == (3, 0), ds


def test_close_button_face_turns_on_hover(wine, gallery):
    g, win = open_gallery_window(wine, gallery, "--backdrop")
    frames = flattened_frames(132)
    close = child(wine, win["hwnd"], 50000)["rect"]
    cols = list(range(33))
    wine.xdotool("mousemove", 5, 790)
    time.sleep(0.5)
    (k, scores) = which_face(Shot(wine, "skin-close-normal.png"), close, frames, cols)
    assert (k, scores[k]) == (0, 0), scores
    wine.xdotool("mousemove", close[0] + 16, close[1] + 14)
    wine.xdotool("mousemove", close[0] + 17, close[1] + 14)
    time.sleep(0.5)
    (k, scores) = which_face(Shot(wine, "skin-close-hover.png"), close, frames, cols)
    assert (k, scores[k]) == (1, 0), scores


# ---- dragging, sizing, own maximize ---------------------------------------------

def gallery_rect(wine):
    return wine.windows(title=GALLERY_TITLE, visible=True, toplevel=True)[0]["rect"]


def drag(wine, x, y, dx, dy):
    wine.xdotool("mousemove", x, y)
    time.sleep(0.2)
    wine.xdotool("mousedown", "1")
    time.sleep(0.3)
    for step in (1, 2, 3, 4):
        wine.xdotool("mousemove", x + dx * step // 4, y + dy * step // 4)
        time.sleep(0.15)
    wine.xdotool("mouseup", "1")
    time.sleep(0.5)


def test_caption_drags_borders_resize_and_maximize_restores_the_last_rectangle(wine, gallery):
    g, win = open_gallery_window(wine, gallery, "--backdrop")
    l, t, r, b = gallery_rect(wine)

    # The caption band moves the window.
    drag(wine, l + 400, t + 15, 40, 30)  # between the link label and the system buttons
    l2, t2, r2, b2 = wait_until(lambda: (rc := gallery_rect(wine)) != [l, t, r, b] and rc, 10, what="moved")
    assert (l2 - l, t2 - t, r2 - r, b2 - b) == (40, 30, 40, 30)

    # The right border band resizes (the window has no sizing frame of its own).
    drag(wine, r2 - 2, t2 + 150, 60, 0)
    l3, t3, r3, b3 = wait_until(lambda: (rc := gallery_rect(wine)) != [l2, t2, r2, b2] and rc, 10, what="resized")
    assert (l3, t3, b3) == (l2, t2, b2)
    assert r3 - r2 == 60
    # The system buttons follow the right edge.
    close = child(wine, win["hwnd"], 50000)["rect"]
    assert close[2] == r3
    shot = Shot(wine, "skin-gallery-resized.png")
    assert_cut_corners(shot, [l3, t3, r3, b3], "resized gallery")

    # Own maximize: the work area (the screen here), then back to the last sized rectangle.
    wine.probe("click", child(wine, win["hwnd"], 50002)["hwnd"])
    work = wait_until(lambda: (rc := gallery_rect(wine)) != [l3, t3, r3, b3] and rc, 10, what="maximized")
    assert work == [0, 0, SCREEN_W, SCREEN_H]
    assert not wine.windows(title=GALLERY_TITLE, visible=True)[0]["zoomed"]
    wine.probe("click", child(wine, win["hwnd"], 50002)["hwnd"])
    back = wait_until(lambda: (rc := gallery_rect(wine)) != work and rc, 10, what="restored")
    assert back == [l3, t3, r3, b3]
