#!/usr/bin/env python3
"""The package manifests made for a zip hold its hash, version and download, and winget unpacks its
one program for x64 as a portable command. Usage: manifests_test.py DIR ZIP VERSION"""
import hashlib
import json
import pathlib
import sys

import yaml

(folder, zip_file), version = map(pathlib.Path, sys.argv[1:3]), sys.argv[3]
sha256 = hashlib.sha256(zip_file.read_bytes()).hexdigest()
download = f"/releases/download/v{version}/timed-shutdown-{version}-win64.zip"
scoop = json.loads((folder / "timed-shutdown.json").read_text(encoding="utf-8"))
winget = [yaml.safe_load(p.read_text(encoding="utf-8")) for p in (folder / "winget").glob("*")]
installer = [m for m in winget if m["ManifestType"] == "installer"][0]
wrong = [what for what, right in [
    ("scoop: version", scoop["version"] == version),
    ("scoop: hash", scoop["architecture"]["64bit"]["hash"].lower() == sha256),
    ("scoop: url", scoop["architecture"]["64bit"]["url"].endswith(download)),
    ("scoop: Start-menu entry", scoop["shortcuts"] == [["timed-shutdown.exe", "定时关机"]]),
    ("winget: version, installer, default locale, zh-CN", sorted(
        m["ManifestType"] + m.get("PackageLocale", "") for m in winget) ==
     ["defaultLocaleen-US", "installer", "localezh-CN", "version"]),
    ("winget: versions", all(m["PackageVersion"] == version for m in winget)),
    ("winget: one x64 zip, its hash and url", [(i["Architecture"], i["InstallerSha256"].lower(),
      i["InstallerUrl"].endswith(download)) for i in installer["Installers"]] == [("x64", sha256, True)]),
    ("winget: a zip with one nested portable program", (installer["InstallerType"],
      installer["NestedInstallerType"], installer["NestedInstallerFiles"]) == ("zip", "portable", [
          {"RelativeFilePath": "timed-shutdown.exe", "PortableCommandAlias": "timed-shutdown"}])),
] if not right]
print("\n".join(f"wrong: {what}" for what in wrong) or "every hash, version and url as the zip's")
sys.exit(1 if wrong else 0)
