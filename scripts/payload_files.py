"""Shared by the payload generators: a file is rewritten only when its bytes
change, so an unchanged payload never makes anything rebuild."""
import os


def write_if_changed(path, data):
    try:
        if os.path.getsize(path) == len(data):
            with open(path, "rb") as f:
                if f.read() == data:
                    return
    except OSError:
        pass
    with open(path, "wb") as f:
        f.write(data)
