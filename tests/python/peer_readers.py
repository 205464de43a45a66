"""How another YAML reader sees a text: PyYAML's safe loader, with any tag it does not know read
as the plain value it is written on."""

import yaml


class AnyTagLoader(yaml.SafeLoader):
    pass


def _untagged(loader, suffix, node):
    if isinstance(node, yaml.ScalarNode):
        return loader.construct_scalar(node)
    if isinstance(node, yaml.SequenceNode):
        return loader.construct_sequence(node, deep=True)
    return loader.construct_mapping(node, deep=True)


AnyTagLoader.add_multi_constructor("", _untagged)


def pyyaml_load_all(text):
    return list(yaml.load_all(text, Loader=AnyTagLoader))
