#!/usr/bin/env python3
"""check_manifests.py --zip ZIP --manifests FOLDER --run [COMMAND...]

Checks the winget and Scoop manifests that cmake/make_manifests.cmake wrote
for a release zip against that zip as built: each one's hash is the zip's
SHA-256, the exe's path in each is the vantrel.exe in the zip, the version is
what that exe prints for --version, the URL ends with the zip's name, every
field that winget or Scoop needs is there, Scoop's checkver reads a release's
tag back as its version, and the three winget files carry one identifier, the
one in their names. The exe runs with COMMAND in front
of it (Wine's, in a cross-build; nothing on Windows).

Nothing is installed here: that is the hosted Windows job's, which installs
the same manifests with winget and with Scoop. Exits 1 if any check fails.
"""

import argparse
import hashlib
import json
import pathlib
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

import yaml

# What winget needs in each file of a multi-file manifest, and Scoop in its
# manifest (its "description" and "license" are asked of every new manifest,
# and checkver and autoupdate keep it following the releases).
WINGET_FILES = {
    "version": ("{id}.yaml",
                ["PackageIdentifier", "PackageVersion", "DefaultLocale",
                 "ManifestType", "ManifestVersion"]),
    "installer": ("{id}.installer.yaml",
                  ["PackageIdentifier", "PackageVersion", "InstallerType",
                   "NestedInstallerType", "Architecture", "InstallerUrl",
                   "InstallerSha256", "ManifestType", "ManifestVersion"]),
    "defaultLocale": ("{id}.locale.en-US.yaml",
                      ["PackageIdentifier", "PackageVersion", "PackageLocale",
                       "Publisher", "PackageName", "License",
                       "ShortDescription", "ManifestType", "ManifestVersion"]),
}
SCOOP_FIELDS = ["version", "description", "homepage", "license", "url", "hash",
                "extract_dir", "bin", "checkver", "autoupdate"]
SCHEMA_LINE = ("# yaml-language-server: $schema=https://aka.ms/"
               "winget-manifest.{type}.{version}.schema.json")


def get(document, *path):
    """The value at path in a loaded manifest, or None where there is none."""
    for key in path:
        try:
            document = document[key]
        except (KeyError, IndexError, TypeError):
            return None
    return document


def installer_field(installer, key):
    """A field of the first installer; winget takes one that is not in the
    installer from the manifest's root."""
    value = get(installer, "Installers", 0, key)
    return get(installer, key) if value is None else value


def last_segment(url):
    return None if url is None else url.rsplit("/", 1)[-1]


def checkver_reads(pattern, page):
    """The version that Scoop's checkver reads from a page with its pattern:
    the first match's group 1, or else its group "version"."""
    found = re.search(pattern, page) if isinstance(pattern, str) else None
    if found is None:
        return None
    return found.group(1) if found.re.groups else found.groupdict().get("version")


def printed_version(zip_file, exe_entry, run):
    """What the vantrel.exe in the zip prints for --version."""
    with tempfile.TemporaryDirectory() as scratch:
        exe = zipfile.ZipFile(zip_file).extract(exe_entry, scratch)
        done = subprocess.run([*run, exe, "--version"], capture_output=True,
                              text=True, timeout=120, check=False)
    if done.returncode != 0:
        sys.exit(f"check_manifests: {exe_entry} --version exited with "
                 f"{done.returncode}: {done.stdout}{done.stderr}")
    return done.stdout.strip()


def load_winget(folder):
    """The three winget files by their ManifestType, their first lines, and
    the identifier of the version file, which names the package."""
    loaded = {}
    for path in sorted(folder.glob("*.yaml")):
        text = path.read_text(encoding="utf-8")
        # winget reads every value as text, as BaseLoader does: 1.10 stays 1.10.
        document = yaml.load(text, Loader=yaml.BaseLoader)
        loaded[path.name] = (document, text.split("\n", 1)[0])
    identifier = next((get(document, "PackageIdentifier")
                       for document, _ in loaded.values()
                       if get(document, "ManifestType") == "version"), None)
    return loaded, identifier


def checks(zip_file, folder, run):
    """The table: what is checked, what the manifests hold, what they must."""
    zip_name = zip_file.name
    sha256 = hashlib.sha256(zip_file.read_bytes()).hexdigest()
    exe_entries = [name for name in zipfile.ZipFile(zip_file).namelist()
                   if name.endswith("/vantrel.exe")]
    if len(exe_entries) != 1:
        sys.exit(f"check_manifests: {zip_name} holds {exe_entries}, not one vantrel.exe")
    exe_entry = exe_entries[0]
    version = printed_version(zip_file, exe_entry, run)

    winget, identifier = load_winget(folder / "winget")
    names = {kind: name.format(id=identifier) for kind, (name, _) in WINGET_FILES.items()}
    manifest = {kind: winget.get(name, (None, None))[0] for kind, name in names.items()}
    installer = manifest["installer"]
    scoop_file = folder / "scoop" / "vantrel.json"
    scoop = json.loads(scoop_file.read_text(encoding="utf-8")) if scoop_file.exists() else {}
    manifest_version = get(manifest["version"], "ManifestVersion")
    winget_path = installer_field(installer, "NestedInstallerFiles")
    winget_path = get(winget_path, 0, "RelativeFilePath")
    homepage = get(scoop, "homepage")
    homepage_path = re.sub(r"^https://[^/]+", "", homepage or "")
    plain_version = version.split("-", 1)[0]
    suffixed_version = version if version != plain_version else f"{version}-rc.1"

    rows = [
        ("winget: the files, named by the identifier",
         sorted(winget), sorted(names.values())),
        ("winget: InstallerSha256 is the zip's SHA-256",
         installer_field(installer, "InstallerSha256"), sha256.upper()),
        ("winget: InstallerUrl ends with the zip's name",
         last_segment(installer_field(installer, "InstallerUrl")), zip_name),
        ("winget: NestedInstallerFiles is the exe in the zip",
         winget_path and winget_path.replace("\\", "/"), exe_entry),
        ("winget: the command alias",
         get(installer_field(installer, "NestedInstallerFiles"), 0, "PortableCommandAlias"),
         "vantrel"),
        ("winget: InstallerType", installer_field(installer, "InstallerType"), "zip"),
        ("winget: NestedInstallerType",
         installer_field(installer, "NestedInstallerType"), "portable"),
        ("winget: Architecture", installer_field(installer, "Architecture"), "x64"),
        ("winget: License", get(manifest["defaultLocale"], "License"), "MIT"),
        ("winget: PackageLocale is the DefaultLocale, the locale file's",
         get(manifest["defaultLocale"], "PackageLocale"), "en-US"),
        ("winget: DefaultLocale", get(manifest["version"], "DefaultLocale"), "en-US"),
        ("scoop: hash is the zip's SHA-256", get(scoop, "hash"), sha256),
        ("scoop: url is winget's", get(scoop, "url"),
         installer_field(installer, "InstallerUrl")),
        ("scoop: extract_dir/bin is the exe in the zip",
         f"{get(scoop, 'extract_dir')}/{get(scoop, 'bin')}", exe_entry),
        ("scoop: version", get(scoop, "version"), version),
        ("scoop: license", get(scoop, "license"), "MIT"),
        ("scoop: checkver follows the home page's GitHub releases",
         get(scoop, "checkver", "github"), homepage),
        *[(f"scoop: checkver's regex reads the tag v{tag_version} back as {tag_version}",
           checkver_reads(get(scoop, "checkver", "regex"),
                          f'<a href="{homepage_path}/releases/tag/v{tag_version}">'),
           tag_version)
          # A suffixed and a plain version, whichever this one is; GitHub's
          # page of a release links to its tag so.
          for tag_version in (suffixed_version, plain_version)],
        ("scoop: autoupdate's url at this version",
         (get(scoop, "autoupdate", "url") or "").replace("$version", version),
         f"{homepage}/releases/download/v{version}/{zip_name}"),
        ("scoop: autoupdate's extract_dir at this version",
         (get(scoop, "autoupdate", "extract_dir") or "").replace("$version", version),
         get(scoop, "extract_dir")),
    ]
    for kind, (name, required) in WINGET_FILES.items():
        document = manifest[kind]
        name = names[kind]
        rows += [
            (f"{name}: first line", winget.get(name, (None, None))[1],
             SCHEMA_LINE.format(type=kind, version=manifest_version)),
            (f"{name}: ManifestType", get(document, "ManifestType"), kind),
            (f"{name}: ManifestVersion", get(document, "ManifestVersion"), manifest_version),
            (f"{name}: PackageIdentifier", get(document, "PackageIdentifier"), identifier),
            (f"{name}: PackageVersion", get(document, "PackageVersion"), version),
        ]
        rows += [(f"{name}: {key} is there",
                  "there" if installer_field(document, key) else "missing", "there")
                 for key in required]
    rows += [(f"vantrel.json: {key} is there", "there" if get(scoop, key) else "missing",
              "there") for key in SCOOP_FIELDS]
    return rows, version, installer_field(installer, "InstallerUrl")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[1])
    parser.add_argument("--zip", type=pathlib.Path, required=True)
    parser.add_argument("--manifests", type=pathlib.Path, required=True)
    parser.add_argument("--run", nargs=argparse.REMAINDER, default=[],
                        help="the command that runs a Windows program, if any")
    arguments = parser.parse_args()

    rows, version, url = checks(arguments.zip, arguments.manifests, arguments.run)
    failed = [(what, found, expected) for what, found, expected in rows if found != expected]
    for what, found, expected in failed:
        print(f"FAILED {what}:\n  found    {found!r}\n  expected {expected!r}")
    print(f"check_manifests: {len(rows) - len(failed)} of {len(rows)} checks passed, "
          f"version {version}, from {url}")
    for tool in ("winget", "scoop"):
        where = "is on this machine" if shutil.which(tool) else "is not on this machine"
        print(f"check_manifests: {tool} {where}; this check installs nothing: "
              "installing with the manifests is the hosted Windows job's")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
