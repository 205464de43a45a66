"""Load a commented service configuration, change it by program, and print it again.

Every comment of the file stays at its entry; the value that changes keeps its
place, the new key goes to the end of its mapping.
"""

import sys

import plovarn


def main(path: str) -> None:
    with open(path, encoding="utf-8") as f:
        config = plovarn.load(f)

    # Nested mappings are edited in place; dumping reads their values.
    config["service"]["replicas"] = 4  # change a value: its comment stays
    database = config["database"]
    database["ssl"] = True  # add a key, at the end of its mapping
    database.set_comment_inline("ssl", "required since the audit")

    config.set_comment_before("logging", "Log shipping; see the runbook.")

    sys.stdout.write(plovarn.dumps(config))


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "examples/service.yaml")
