"""How other YAML readers see a text: PyYAML's safe loader (YAML 1.1) and, where it is
installed, ruamel.yaml's (YAML 1.2), each with any tag it does not know read as the plain
value it is written on."""

import yaml

try:
    from ruamel.yaml import YAML as RuamelYAML
    from ruamel.yaml import nodes as ruamel_nodes
    from ruamel.yaml.constructor import SafeConstructor as RuamelSafeConstructor
except ImportError:
    RuamelYAML = None


def _untagged_with(scalar_node, sequence_node):
    def untagged(loader, suffix, node):
        if isinstance(node, scalar_node):
            return loader.construct_scalar(node)
        if isinstance(node, sequence_node):
            return loader.construct_sequence(node, deep=True)
        return loader.construct_mapping(node, deep=True)
    return untagged


class AnyTagLoader(yaml.SafeLoader):
    pass


AnyTagLoader.add_multi_constructor("", _untagged_with(yaml.ScalarNode, yaml.SequenceNode))


def pyyaml_load_all(text):
    return list(yaml.load_all(text, Loader=AnyTagLoader))


ruamel_load_all = None
if RuamelYAML is not None:
    class RuamelAnyTagConstructor(RuamelSafeConstructor):
        pass

    RuamelAnyTagConstructor.add_multi_constructor(
        "", _untagged_with(ruamel_nodes.ScalarNode, ruamel_nodes.SequenceNode))

    def ruamel_load_all(text):
        reader = RuamelYAML(typ="safe", pure=True)
        reader.Constructor = RuamelAnyTagConstructor
        return list(reader.load_all(text))

# Each reader by name; a reader that is not installed is left out.
PEER_READERS = {"PyYAML": pyyaml_load_all, **({"ruamel.yaml": ruamel_load_all} if ruamel_load_all else {})}
