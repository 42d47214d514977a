#!/usr/bin/env python3
"""Makes the package manifests of a release from its zip and the zip's .sha256: Scoop's
timed-shutdown.json, and winget's multi-file manifests in winget/. Every file it writes ships with
the release; nothing in them is typed at release time.

Usage: make-manifests.py ZIP VERSION OWNER/REPO OUT [--id PACKAGE] [--url URL]
--id names the winget package (default OWNER.TimedShutdown); --url serves the zip from elsewhere
than the GitHub release, as CI's install test does.
"""
import argparse
import json
import pathlib
import sys

WINGET_MANIFEST_VERSION = "1.10.0"
PROGRAM = "timed-shutdown.exe"
COMMAND = "timed-shutdown"
TITLE = "定时关机"  # the window's own title, as the Start-menu entry
LICENSE = "MIT"
SUMMARY = {
    "en-US": "Shuts the computer down after a countdown set in one small window.",
    "zh-CN": "在一个小窗口里设定倒计时，时间一到就关闭计算机。",
}


def yaml(kind, fields):
    """A winget manifest: one field a line, every scalar a quoted string, lists of mappings."""
    lines = [f"# yaml-language-server: $schema=https://aka.ms/winget-manifest.{kind}."
             f"{WINGET_MANIFEST_VERSION}.schema.json"]
    fields = fields + [("ManifestType", kind), ("ManifestVersion", WINGET_MANIFEST_VERSION)]
    for key, value in fields:
        if isinstance(value, list):
            lines.append(f"{key}:")
            for item in value:
                pairs = [f"{k}: {json.dumps(v, ensure_ascii=False)}" for k, v in item.items()]
                lines += ["  - " + pairs[0]] + ["    " + pair for pair in pairs[1:]]
        else:
            lines.append(f"{key}: {json.dumps(value, ensure_ascii=False)}")
    return "\n".join(lines) + "\n"


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("zip", type=pathlib.Path)
    parser.add_argument("version")
    parser.add_argument("repo", help="OWNER/REPO on GitHub")
    parser.add_argument("out", type=pathlib.Path)
    parser.add_argument("--id", help="the winget package identifier")
    parser.add_argument("--url", help="where the zip is downloaded from")
    args = parser.parse_args()

    name = f"{COMMAND}-{args.version}-win64.zip"
    if args.zip.name != name:
        sys.exit(f"make-manifests: {args.zip.name} is not version {args.version}'s zip, {name}")
    sha256 = pathlib.Path(f"{args.zip}.sha256").read_text().split()[0].lower()
    owner = args.repo.split("/")[0]
    home = f"https://github.com/{args.repo}"
    url = args.url or f"{home}/releases/download/v{args.version}/{name}"
    package = args.id or f"{owner}.TimedShutdown"

    scoop = {
        "version": args.version,
        "description": SUMMARY["en-US"],
        "homepage": home,
        "license": LICENSE,
        "architecture": {"64bit": {"url": url, "hash": sha256}},
        "bin": PROGRAM,
        "shortcuts": [[PROGRAM, TITLE]],
        # Scoop's updater follows the releases, taking each zip's hash from its .sha256.
        "checkver": {"github": home},
        "autoupdate": {"architecture": {"64bit": {
            "url": f"{home}/releases/download/v$version/{COMMAND}-$version-win64.zip",
            "hash": {"url": "$url.sha256"}}}},
    }
    ids = [("PackageIdentifier", package), ("PackageVersion", args.version)]
    winget = {
        f"{package}.yaml": yaml("version", ids + [("DefaultLocale", "en-US")]),
        f"{package}.installer.yaml": yaml("installer", ids + [
            ("InstallerType", "zip"), ("NestedInstallerType", "portable"),
            ("NestedInstallerFiles",
             [{"RelativeFilePath": PROGRAM, "PortableCommandAlias": COMMAND}]),
            ("Installers", [{"Architecture": "x64", "InstallerUrl": url,
                             "InstallerSha256": sha256.upper()}])]),
        f"{package}.locale.en-US.yaml": yaml("defaultLocale", ids + [
            ("PackageLocale", "en-US"), ("Publisher", owner),
            ("PublisherUrl", f"https://github.com/{owner}"), ("PackageName", COMMAND),
            ("PackageUrl", home), ("License", LICENSE),
            ("LicenseUrl", f"{home}/blob/v{args.version}/LICENSE"),
            ("ShortDescription", SUMMARY["en-US"]), ("Moniker", COMMAND),
            ("ReleaseNotesUrl", f"{home}/releases/tag/v{args.version}")]),
        f"{package}.locale.zh-CN.yaml": yaml("locale", ids + [
            ("PackageLocale", "zh-CN"), ("PackageName", TITLE),
            ("ShortDescription", SUMMARY["zh-CN"])]),
    }

    (args.out / "winget").mkdir(parents=True, exist_ok=True)
    written = [args.out / "timed-shutdown.json"]
    written[0].write_text(json.dumps(scoop, indent=4, ensure_ascii=False) + "\n", encoding="utf-8")
    for file, text in winget.items():
        written.append(args.out / "winget" / file)
        written[-1].write_text(text, encoding="utf-8")
    print("\n".join(map(str, written)))


if __name__ == "__main__":
    main()
