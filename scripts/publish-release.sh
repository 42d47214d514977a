#!/usr/bin/env bash
# Publishes a GitHub release of a tag with the given files, through gh (GH_TOKEN). For a tag whose
# release exists, as when the workflow is run again, it keeps the release and its notes, replaces
# its files with these and removes any not among them.
# Usage: publish-release.sh TAG OWNER/REPO FILE...
set -euo pipefail
release=("$1" --repo "$2")
shift 2
if ! old=$(gh release view "${release[@]}" --json assets --jq '.assets[].name'); then
    exec gh release create "${release[@]}" --generate-notes "$@"
fi
gh release upload "${release[@]}" --clobber "$@"
names=" ${*##*/} "
for name in $old; do
    [[ $names == *" $name "* ]] || gh release delete-asset "${release[@]}" "$name" --yes
done
