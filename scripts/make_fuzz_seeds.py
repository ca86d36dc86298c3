#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/<target>/seed-*: tiny valid
files of every kind the reader opens (made with the ffmpeg tool, 16x16, a few frames), and
hand-built preset files, settings files, pipeline frames and camera buffers. Run once after
changing a target's input layout; the seeds are committed."""
import struct
import subprocess
import tempfile
from pathlib import Path

CORPUS = Path(__file__).resolve().parent.parent / "fuzz" / "corpus"
# The order of the media target's extension table: the input's first byte picks one.
EXTENSIONS = ["avi", "mp4", "mov", "m4v", "mkv", "webm", "ts", "mts", "m2ts",
              "png", "jpg", "jpeg", "bmp", "tif", "tiff", "webp", "dat"]
PATTERN = ["-f", "lavfi", "-i", "testsrc=size=16x16:rate=5"]
# File name, frames, encoder options.
MEDIA = [
    ("raw24.avi", 3, ["-c:v", "rawvideo", "-pix_fmt", "bgr24"]),
    ("rgb555.avi", 2, ["-c:v", "rawvideo", "-pix_fmt", "rgb555le"]),
    ("pal8.avi", 2, ["-c:v", "rawvideo", "-pix_fmt", "pal8"]),
    ("gray.avi", 2, ["-c:v", "rawvideo", "-pix_fmt", "gray"]),
    ("mjpeg.avi", 3, ["-c:v", "mjpeg", "-q:v", "8"]),
    ("mpeg4.avi", 4, ["-c:v", "mpeg4", "-q:v", "8", "-bf", "2", "-g", "3"]),
    ("msmpeg4.avi", 3, ["-c:v", "msmpeg4", "-q:v", "8"]),
    ("h264.avi", 4, ["-c:v", "libx264", "-bf", "2", "-g", "3", "-pix_fmt", "yuv420p"]),
    ("bframes.mp4", 4, ["-c:v", "libx264", "-bf", "2", "-g", "3", "-pix_fmt", "yuv420p"]),
    ("phone.mov", 3, ["-c:v", "libx264", "-pix_fmt", "yuv420p"]),
    ("raw.mov", 2, ["-c:v", "rawvideo", "-pix_fmt", "bgr24"]),
    ("clip.m4v", 3, ["-c:v", "libx264", "-pix_fmt", "yuv420p"]),
    ("vp9.mkv", 3, ["-c:v", "libvpx-vp9", "-b:v", "20k"]),
    ("hevc.mkv", 3, ["-c:v", "libx265", "-x265-params", "log-level=none", "-pix_fmt", "yuv420p"]),
    ("mjpeg.mkv", 2, ["-c:v", "mjpeg", "-q:v", "8"]),
    ("vp8.webm", 3, ["-c:v", "libvpx", "-b:v", "20k"]),
    ("stream.ts", 3, ["-c:v", "libx264", "-bf", "2", "-pix_fmt", "yuv420p"]),
    ("camera.mts", 2, ["-c:v", "libx264", "-pix_fmt", "yuv420p", "-f", "mpegts"]),
    ("camera.m2ts", 2, ["-c:v", "libx264", "-pix_fmt", "yuv420p", "-f", "mpegts"]),
    ("picture.png", 1, ["-pix_fmt", "rgb24"]),
    ("deep.png", 1, ["-pix_fmt", "rgb48be"]),
    ("photo.jpg", 1, ["-q:v", "8"]),
    ("photo.jpeg", 1, ["-q:v", "8"]),
    ("picture.bmp", 1, ["-pix_fmt", "bgr24"]),
    ("picture.tif", 1, ["-pix_fmt", "rgb24"]),
    ("picture.tiff", 1, ["-pix_fmt", "rgb48le"]),
    ("picture.webp", 1, ["-c:v", "libwebp", "-quality", "50"]),
]


def ffmpeg(frames, options, path):
    subprocess.run(["ffmpeg", "-hide_banner", "-loglevel", "error", "-nostdin", "-y", *PATTERN,
                    "-frames:v", str(frames), *options, str(path)], check=True)


def write(target, name, data):
    folder = CORPUS / target
    folder.mkdir(parents=True, exist_ok=True)
    (folder / f"seed-{name}").write_bytes(data)


def media_seeds():
    with tempfile.TemporaryDirectory() as work:
        for name, frames, options in MEDIA:
            path = Path(work) / name
            ffmpeg(frames, options, path)
            extension = name.rsplit(".", 1)[1]
            write("media_file", name, bytes([EXTENSIONS.index(extension)]) + path.read_bytes())
        jpeg = Path(work) / "frame.jpg"
        ffmpeg(1, ["-q:v", "8"], jpeg)
        return jpeg.read_bytes()


def bitmap_header(width, height, bits):
    return struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 0, 0, 0, 0, 0, 0)


def pipeline_frame(options, header, pixels):
    return options + header + struct.pack("<H", len(pixels)) + pixels


def pipeline_seeds():
    def options(mode, effect, mask, morphology, lens, source):
        return struct.pack("<IIBBIIBiI", mode, effect, mask, morphology, 2, 2, lens, 100, source)

    # The default colour range (a first byte of 1 would bring one of its own), threshold 20.
    start = struct.pack("<BI", 0, 20)
    rgb = bytes((x * 37 + y * 11) & 0xFF for y in range(8) for x in range(8 * 3))
    for mode in range(6):
        frames = struct.pack("<I", 1)  # three frames
        for effect, mask, morphology, lens, source in [(0, 1, 1, 0, 0), (mode % 5, 0, 1, 1, 1), (1, 1, 0, 0, 0)]:
            frames += options(mode, effect, mask, morphology, lens, source) + b"\x00\x01" + struct.pack("<I", 25)
            frames += bitmap_header(8, 8, 24) + struct.pack("<H", len(rgb)) + rgb
        write("pipeline", f"mode{mode}", start + frames)
    lying = options(0, 0, 0, 1, 0, 0) + b"\x00\x00" + struct.pack("<I", 0) + bitmap_header(0, 0x7FFFFFF0, 24)
    lying += struct.pack("<H", 0)
    write("pipeline", "lying-header", start + struct.pack("<I", 0) + lying + lying)


def camera_seeds(jpeg):
    def buffer(index, width, height, bytes_per_line, payload):
        frame = struct.pack("<IH", len(payload), len(payload)) + payload
        return bytes([index]) + struct.pack("<IIH", width - 1, height - 1, bytes_per_line) + frame + frame

    yuy2 = bytes((i * 7) & 0xFF for i in range(8 * 4 * 2))
    write("camera_frame", "yuyv", buffer(0, 8, 4, 16, yuy2))
    write("camera_frame", "yuyv-padded", buffer(0, 6, 4, 16, yuy2))
    write("camera_frame", "bgr24", buffer(1, 4, 4, 12, bytes(range(48))))
    write("camera_frame", "xrgb32", buffer(7, 4, 4, 16, bytes(range(64))))
    write("camera_frame", "mjpeg", buffer(12, 16, 16, 0, jpeg))
    write("camera_frame", "jpeg-scaled", buffer(13, 8, 8, 0, jpeg))


def text_seeds():
    write("preset_file", "presets", b"[Red]\r\n0,20,100,155,100,155\r\n;comment\r\n[\"Sky\"]\r\n200,40,30,0,30,0\r\n")
    write("preset_file", "damaged", b"[a]\r\n1,2,3\r\n[]\r\n4,5,6,7,8,9\r\n[b\r\nx,y,z,1,2,3\r\n")
    write("settings_file", "saved", b"[General]\nAutoCamStart=0\nBlockScreensaver=0\nCamSetting=0\n"
          b"CamShutdown=0\nDEBUG=0\nDataPath=/home/user/snaps\nFPS=30\nHSV-H0=10\nHSV-H1=40\n"
          b"HSV-S0=30\nHSV-S1=0\nHSV-V0=30\nHSV-V1=0\nMirror=1\nStartup=0\nTransPreview=60\nTutorial=0\n")
    write("settings_file", "damaged", b"[General]\nHSV-H0=10\nnot a line\x01\nFPS=99999999999")
    write("settings_file", "quoted", b"[General]\nDataPath=\"a b\\\\c\"\nMirror=@Variant(\\0\\0\\0\\x2\\0\\0\\0\\x5)\n")


def main():
    jpeg = media_seeds()
    pipeline_seeds()
    camera_seeds(jpeg)
    text_seeds()


if __name__ == "__main__":
    main()
