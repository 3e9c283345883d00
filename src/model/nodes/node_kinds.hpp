// The record class of each control-node kind (the list is in ncp_ident.hpp).
#pragma once

#include "model/nodes/asm_node.hpp"
#include "model/nodes/counter_node.hpp"
#include "model/nodes/opr_node.hpp"
#include "model/nodes/pseudo_node.hpp"
#include "model/nodes/start_node.hpp"
#include "model/nodes/state_node.hpp"
#include "model/nodes/syn_node.hpp"
#include "model/nodes/wait_cond_node.hpp"
#include "model/nodes/wait_cycle_node.hpp"

namespace vorlent {

#define VORLENT_NODE_RECORD(tag, record, text) VORLENT_KIND_RECORD(NodeType, tag, record)
VORLENT_NODE_KINDS(VORLENT_NODE_RECORD)
#undef VORLENT_NODE_RECORD

}  // namespace vorlent
