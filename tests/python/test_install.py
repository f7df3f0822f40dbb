"""cmake --install puts the package where Debian's python3 finds it, with its
stubs and docstrings."""
import os
import pathlib
import subprocess
import sys

from conftest import BUILD


def test_the_installed_package_imports_outside_the_build(tmp_path):
    prefix = tmp_path / "prefix"
    subprocess.run(
        ["cmake", "--install", str(BUILD), "--component", "python", "--prefix", str(prefix)],
        check=True, capture_output=True,
    )
    version = f"python{sys.version_info.major}.{sys.version_info.minor}"
    package = prefix / "lib" / version / "dist-packages" / "vorun"
    assert {"__init__.py", "__init__.pyi", "py.typed"} <= {p.name for p in package.iterdir()}
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    env["PYTHONPATH"] = str(package.parent)
    done = subprocess.run(
        [sys.executable, "-c",
         "import vorun, pydoc; print(vorun.__file__); print(pydoc.render_doc(vorun.Ensemble))"],
        cwd=tmp_path, env=env, capture_output=True, text=True, check=True,
    )
    assert done.stdout.startswith(str(package))
    assert "row 0 is slot 1" in done.stdout and "to_bytes" in done.stdout
